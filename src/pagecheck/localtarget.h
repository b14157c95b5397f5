#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Where a link or image address of a page leads on this computer, judged against the document's
// folder: a file that is there, one that is missing, one whose name differs only in upper/lower
// case (found on the user's PC by some programs, never on the Linux server), or an absolute local
// path that only the user's own machine has. Only folder listings are read; nothing is opened and
// nothing goes to the network. Listings and verdicts are kept for the life of the object: a
// page names the same few files again and again (its menu, its logo).
class LocalTarget
{
public:
    enum class Outcome {
        NotChecked, // an address on the web, a fragment, or no folder to judge by
        Found,
        Missing,
        CaseDiffers,
        LocalPath,
    };

    struct Verdict
    {
        Outcome outcome = Outcome::NotChecked;
        QString actualName; // the name as it is on disk, for CaseDiffers
    };

    // folder: the document's folder; empty while the document is untitled.
    explicit LocalTarget(const QString &folder) : m_folder(folder) {}

    Verdict judge(const QString &address);

    // An address that names a place on the user's own disk: file:, C:\…, \\server, /home/….
    static bool isAbsoluteLocal(const QString &address);
    // An address that starts with a scheme (http:, mailto:, javascript:, data:, …).
    static bool hasScheme(const QString &address);

private:
    const QStringList &entries(const QString &folder);
    Verdict judgeAnew(const QString &address);

    QString m_folder;
    QHash<QString, QStringList> m_listings;
    QHash<QString, Verdict> m_verdicts;
};
