#pragma once

#include "common/batchwrite.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The copies that let one site-wide replace be taken back: each file's bytes from before it was
// rewritten (the old file itself under a second name where the data folder is on the same disk),
// with a fingerprint of what the replace wrote, kept in a folder of the data folder
// until the next site-wide replace or for kKeptDays. Restoring puts back only a file that still
// holds what the replace wrote, so work done on a page since is never thrown away unasked.
class ReplaceUndoStore
{
public:
    // Writes the files back, each either old or new (BatchWrite::write).
    using Writer = std::function<BatchWrite::Outcome(const QList<BatchWrite::File> &files)>;

    static constexpr int kKeptDays = 7;

    struct Copy
    {
        QString path; // the local file
        QByteArray before;
        QByteArray after;
    };

    struct Outcome
    {
        QStringList restored;
        QStringList unchanged; // already held its old bytes: the replace never got to write it
        QStringList changedSince;
        QStringList failed; // "path: why"
    };

    explicit ReplaceUndoStore(QString folder);

    // Puts these copies in the place of any kept before. Throws UserError when they cannot all
    // be written; no file of the site may be touched then.
    void keep(const QList<Copy> &copies, const QDateTime &when);
    // Whether copies are kept that have not outlived kKeptDays at now; older ones are dropped.
    bool holdsCopies(const QDateTime &now);
    // Writes each kept file back as it was, where it still holds what the replace wrote, then
    // drops the copies: a replace is taken back once. They stay while a file failed to be
    // written back.
    Outcome restore(const Writer &write);
    void drop();

private:
    struct Entry
    {
        QString path;
        bool linked = false;  // the old file under a second name, numbered offset
        qsizetype offset = 0; // else: where its bytes start among the kept originals
        qsizetype size = 0;
        QByteArray beforeHash;
        QByteArray afterHash;
    };
    bool readManifest(QList<Entry> *entries, QDateTime *when) const;

    QString m_folder;
};
