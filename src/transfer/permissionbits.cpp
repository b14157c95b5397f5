#include "transfer/permissionbits.h"

namespace {

constexpr std::array<char16_t, 3> kLetters = {u'r', u'w', u'x'};
constexpr int kMaximumEntryLength = 3;

bool isOctalDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('7');
}

} // namespace

PermissionBits PermissionBits::fromAttributes(const QString &attributes)
{
    PermissionBits bits;
    for (int group = 0; group < kGroupCount; ++group) {
        for (int bit = 0; bit < 3; ++bit) {
            // Character 1 is the kind of item; each group's three letters follow it.
            const qsizetype position = 1 + group * 3 + bit;
            bits.checked[group][bit] = position < attributes.size() && attributes.at(position) == kLetters[bit];
        }
    }
    return bits;
}

QChar PermissionBits::digit(Group group) const
{
    int value = 0;
    for (int bit = 0; bit < 3; ++bit) {
        if (checked[int(group)][bit])
            value += kBitValues[bit];
    }
    return QChar(u'0' + value);
}

QString PermissionBits::digits() const
{
    return QString(digit(Group::Owner)) + digit(Group::Members) + digit(Group::Others);
}

QString PermissionBits::chmodMode(const QString &directEntry) const
{
    if (directEntry.size() > kMaximumEntryLength)
        return {};
    if (directEntry.size() == kMaximumEntryLength
        && std::all_of(directEntry.cbegin(), directEntry.cend(), isOctalDigit))
        return directEntry;
    return digits();
}

QString PermissionBits::siteCommand(const QString &directEntry, const QString &name) const
{
    const QString mode = chmodMode(directEntry);
    if (mode.isEmpty())
        return {};
    return QStringLiteral("chmod ") + mode + QLatin1Char(' ') + name;
}
