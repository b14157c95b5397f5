#pragma once

#include "transfer/siterecord.h"

#include <QList>
#include <QString>
#include <QStringList>

// The book of FTP sites (RODav.ini): its records, one line of five comma-separated fields each
// in the file. Held in memory for the window's lifetime and written whole. Entries are numbered
// from 1, as the window's counter shows them; the counter itself belongs to the window.
class SiteBook
{
public:
    static inline const QString kFileName = QStringLiteral("RODav.ini");

    // Reads the file; a missing file gives an empty book. When the first line has fewer than
    // five fields, every line gets the commas it lacks, so older books read with an empty
    // folder. Throws UserError when the file exists but cannot be read; the book is then empty.
    void load(const QString &path);
    // Replaces the file atomically, readable by its owner only (it holds passwords). A file
    // that was read only in part (cut at a zero byte) or not at all is left alone while the
    // book is unchanged, and is kept beside the new one as RODav.ini.bak once it changed.
    // Throws UserError on failure.
    void write(const QString &path) const;

    int count() const { return static_cast<int>(m_entries.size()); }
    bool contains(int number) const { return number >= 1 && number <= count(); }
    QList<SiteRecord> records() const;

    // Entry number; an empty record outside the book.
    SiteRecord record(int number) const;

    // Stores the entry shown under the counter: a counter beyond the book appends it, 0 means
    // the first entry. Returns the number it was stored under.
    int store(int counter, const SiteRecord &record);
    // Replaces an existing entry; false (and nothing changes) for a number outside the book.
    bool replace(int number, const SiteRecord &record);
    // Removes an existing entry; false for a number outside the book.
    bool remove(int number);

    // True when the book changed since it was last loaded or written.
    bool modified() const { return m_modified; }

    enum class Password {
        Required,
        KeptElsewhere, // the keyring or this run holds it: the box may stay empty
    };

    // Why the entry cannot be stored, or empty: the four text fields must be filled (the
    // password's only where it is required), and no field, the folder included, may hold a
    // character its line cannot keep. The text names every such character and the fields
    // holding them.
    static QString invalidReason(const SiteRecord &record, Password password = Password::Required);
    // Why the entry stored under the counter may not take the name, or empty: another entry
    // has it already, and the two would share every setting kept by the name.
    QString nameTakenReason(int counter, const QString &name) const;
    // The names of the characters of a field that its line cannot keep: a comma would start
    // another field, a line break another line, a zero would end the file. Empty when it fits.
    static QStringList unstorableCharacters(const QString &field);

private:
    struct Entry
    {
        SiteRecord record;
        // The line it was read from, written back while the entry is unchanged: a short line
        // stays short and fields after the fifth stay, as the program that wrote them left them.
        QString line;
    };

    QList<Entry> m_entries;
    mutable bool m_modified = false;
    mutable bool m_readDamaged = false; // the file holds more than the book could read from it
};
