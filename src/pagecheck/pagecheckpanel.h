#pragma once

#include "pagecheck/checkrow.h"

#include <QStringList>
#include <QWidget>

#include <utility>

class QTreeWidget;
class QTreeWidgetItem;

// The list the page check shows its rows in: level, line, column and the sentence, one row per
// finding (or one row saying there is nothing to report), and under a row the places further
// down where its fault goes on. Double-click or Enter on a row asks for the caret to go there; a
// row whose fault the program can mend has a button that asks for that edit. It owns its list;
// whoever runs the check fills it and makes the edits.
class PageCheckPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageCheckPanel)

public:
    explicit PageCheckPanel(QWidget *parent = nullptr);

    void showRows(const CheckRows &rows);
    QTreeWidget &list() const { return *m_list; }

    static QString nothingToReport();
    // The list's item of one row and the places under it, as this panel shows it; the site
    // check's list shows its rows the same way.
    static QTreeWidgetItem *rowItem(const CheckRow &row);
    // The headings of the columns rowItem fills: 種類, 行, 文字, 内容.
    static QStringList rowHeadings();
    // The line and column an item of rowItem leads to; line 0 for any other item.
    static std::pair<int, int> placeOf(const QTreeWidgetItem &item);
    // The caption of the button that makes a row's edit: "<meta charset="UTF-8"> を入れる".
    static QString fixCaption(const CheckRow::Fix &fix);

signals:
    // The user chose a row: its line and column (from 1, in characters).
    void placeChosen(int line, int column);
    // The user asked for the edit of the row of this key.
    void fixChosen(const QString &key, const CheckRow::Fix &fix);

private:
    void activate(const QTreeWidgetItem *item);
    QWidget *fixButton(const CheckRow &row);

    QTreeWidget *m_list = nullptr;
};
