#pragma once

#include <QFileDevice>
#include <QMap>
#include <QString>

// A small settings file of named sections, each a set of key=value lines, in UTF-8:
//
//   [My Site]
//   security=plain
//
// The companions of the site book keep their records in it, keyed by a name the user chose, so
// a name, key or value may hold any character: a backslash, CR and LF are written escaped.
// Keys it does not know survive a read and a write, so an older program keeps what a newer one
// wrote. A file it cannot read whole (not UTF-8, a line of no known form, a zero byte) is
// damaged: what could be read is used, the file is left alone while nothing changed, and once
// something did, the file is kept beside the new one as <name>.bak first, so nothing is lost
// unseen.
class SectionFile
{
public:
    using Section = QMap<QString, QString>;

    // Reads the file; a missing file gives no sections. Throws UserError when the file exists
    // but cannot be read.
    void load(const QString &path);
    // Replaces the file atomically, readable by its owner only. Throws UserError on failure;
    // the file is then as it was.
    void write(const QString &path);

    bool contains(const QString &name) const { return m_sections.contains(name); }
    Section section(const QString &name) const { return m_sections.value(name); }
    const QMap<QString, Section> &sections() const { return m_sections; }
    void setSection(const QString &name, const Section &section);
    // Moves a section to another name, replacing what that name held; nothing for a name
    // without a section.
    void rename(const QString &from, const QString &to);
    void remove(const QString &name);

    bool modified() const { return m_modified; }
    // The file held more than could be read from it.
    bool damaged() const { return m_damaged; }
    // The value of a known key could not be read: it is dropped, and the file counts as
    // damaged, so the file that holds it is kept when it is replaced.
    void dropUnreadable(const QString &name, const QString &key);
    // The same, with the value the program uses in its place.
    void replaceUnreadable(const QString &name, const QString &key, const QString &value);

    // The file's text and back; parse() reports whether it read every line.
    static QByteArray format(const QMap<QString, Section> &sections);
    static QMap<QString, Section> parse(const QByteArray &bytes, bool *damaged);

private:
    QMap<QString, Section> m_sections;
    bool m_modified = false;
    bool m_damaged = false;
};
