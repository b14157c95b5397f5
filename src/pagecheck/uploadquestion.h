#pragma once

#include "pagecheck/checkrow.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QWidget;
class UserDialogs;

// The question before pages go online: each .htm/.html file about to be uploaded is checked as
// saved on disk, and one with エラー rows is named in a question that shows its first errors:
// はい (upload anyway), いいえ (leave this page out) or ページチェックを見る (stop the upload and
// show the page check of that page). Asks nothing when the user turned the question off
// (公開前にページチェック in 環境設定).
class UploadQuestion
{
public:
    // Shows the page check of the page at a path, for ページチェックを見る.
    using ShowCheck = std::function<void(const QString &path)>;

    // optionsPath: the page check's choices, read at every upload so a change holds at once.
    UploadQuestion(UserDialogs &dialogs, QWidget *parent, const QString &optionsPath, ShowCheck showCheck);

    // The names (in folder) that go up: all but the pages the user said いいえ for; nothing when
    // the user chose to see a page's check instead.
    std::optional<QList<QByteArray>> operator()(const QString &folder, const QList<QByteArray> &names) const;

    // The question for a page with these エラー rows: their count and the first few of them.
    static QString question(const QString &fileName, const CheckRows &errors);
    static bool isPage(const QString &fileName);
    // The エラー rows of the file at path as saved; none for what is not a page or cannot be
    // read (the upload itself reports that).
    static CheckRows pageErrorRows(const QString &path);
    static qsizetype pageErrors(const QString &path) { return pageErrorRows(path).size(); }

    // How many rows the question shows.
    static constexpr qsizetype kRowsShown = 3;

private:
    UserDialogs &m_dialogs;
    QWidget *m_parent;
    QString m_optionsPath;
    ShowCheck m_showCheck;
};
