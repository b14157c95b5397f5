#pragma once

#include <QString>

#include <array>
#include <optional>

// The nine Unix permission bits of a remote item as the permission dialog shows them: three
// groups (owner, group, others) of read (4), write (2) and execute (1), and the chmod argument
// the dialog sends.
struct PermissionBits
{
    enum class Group {
        Owner,
        Members,
        Others,
    };
    static constexpr int kGroupCount = 3;
    static constexpr std::array<int, 3> kBitValues = {4, 2, 1}; // read, write, execute

    // checked[group][bit], bits in the order read, write, execute.
    std::array<std::array<bool, 3>, kGroupCount> checked{};

    // From a listing's attribute text ("-rw-r--r--"): character 2 onwards by position; only
    // "r", "w" and "x" in their own places count, anything else ("-", "s", "t", missing) is off.
    static PermissionBits fromAttributes(const QString &attributes);

    // The group's octal digit, 0 to 7, as one character.
    QChar digit(Group group) const;
    // The three digits, owner first.
    QString digits() const;

    // What "変更" sends after "chmod " for a direct entry: the entry itself when it is three octal
    // digits, nothing (an empty string) when it is longer than three characters, otherwise the
    // boxes' digits.
    QString chmodMode(const QString &directEntry) const;
    // The site command's text, or empty when nothing is to be sent.
    QString siteCommand(const QString &directEntry, const QString &name) const;

    // The whole mode of a Unix attribute text ("-rwsr-x---" is 04750): the nine bits and the
    // set-user, set-group and sticky bits ("s", "S", "t", "T"). Nothing for a text of another
    // shape ("<DIR>", a short one, other letters).
    static std::optional<int> modeOf(const QString &attributes);
    // The attribute text of a mode, after its kind letter ('-', 'd', 'l'): modeOf's inverse.
    static QString attributesOf(QChar kind, int mode);
    // The mode as chmod takes it: three octal digits, four with a special bit.
    static QString octal(int mode);
};
