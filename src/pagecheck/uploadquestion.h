#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QWidget;
class UserDialogs;

// The question before pages go online: each .htm/.html file about to be uploaded is checked as
// saved on disk, and one with エラー rows is named in a はい (upload anyway) / いいえ question.
// Asks nothing when the user turned the question off (公開前にページチェック in 環境設定).
class UploadQuestion
{
public:
    // optionsPath: the page check's choices, read at every upload so a change holds at once.
    UploadQuestion(UserDialogs &dialogs, QWidget *parent, const QString &optionsPath);

    // The names (in folder) that go up: all but the pages the user said いいえ for.
    QList<QByteArray> operator()(const QString &folder, const QList<QByteArray> &names) const;

    static QString question(const QString &fileName, qsizetype errors);
    static bool isPage(const QString &fileName);
    // How many エラー rows the file at path has as saved; 0 for what is not a page or cannot
    // be read (the upload itself reports that).
    static qsizetype pageErrors(const QString &path);

private:
    UserDialogs &m_dialogs;
    QWidget *m_parent;
    QString m_optionsPath;
};
