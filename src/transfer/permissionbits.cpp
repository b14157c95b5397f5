#include "transfer/permissionbits.h"

namespace {

constexpr std::array<char16_t, 3> kLetters = {u'r', u'w', u'x'};
constexpr int kMaximumEntryLength = 3;
constexpr qsizetype kAttributeLength = 10;
constexpr int kSpecialBits = 07000;

// Each group's execute place also shows its special bit: the letter with execute, the capital
// without.
struct SpecialLetter
{
    int bit;
    char16_t withExecute;
    char16_t withoutExecute;
};
constexpr std::array<SpecialLetter, 3> kSpecialLetters = {{
    {04000, u's', u'S'},
    {02000, u's', u'S'},
    {01000, u't', u'T'},
}};

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

std::optional<int> PermissionBits::modeOf(const QString &attributes)
{
    // A listing may add "+" (an access list) or "." (a security context) after the bits.
    if (attributes.size() < kAttributeLength
        || (attributes.size() > kAttributeLength && attributes.size() != kAttributeLength + 1))
        return std::nullopt;
    int mode = 0;
    for (int group = 0; group < kGroupCount; ++group) {
        for (int bit = 0; bit < 3; ++bit) {
            const QChar c = attributes.at(1 + group * 3 + bit);
            const int value = kBitValues[bit] << (3 * (kGroupCount - 1 - group));
            if (c == kLetters[bit]) {
                mode |= value;
            } else if (bit == 2 && c == kSpecialLetters[group].withExecute) {
                mode |= value | kSpecialLetters[group].bit;
            } else if (bit == 2 && c == kSpecialLetters[group].withoutExecute) {
                mode |= kSpecialLetters[group].bit;
            } else if (c != u'-') {
                return std::nullopt;
            }
        }
    }
    return mode;
}

QString PermissionBits::attributesOf(QChar kind, int mode)
{
    QString text(kind);
    for (int group = 0; group < kGroupCount; ++group) {
        for (int bit = 0; bit < 3; ++bit) {
            const bool set = (mode & (kBitValues[bit] << (3 * (kGroupCount - 1 - group)))) != 0;
            QChar c = set ? QChar(kLetters[bit]) : QChar(u'-');
            if (bit == 2 && (mode & kSpecialLetters[group].bit) != 0)
                c = set ? kSpecialLetters[group].withExecute : kSpecialLetters[group].withoutExecute;
            text += c;
        }
    }
    return text;
}

QString PermissionBits::octal(int mode)
{
    return QString::number(mode, 8).rightJustified((mode & kSpecialBits) != 0 ? 4 : 3, u'0');
}
