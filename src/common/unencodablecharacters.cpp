#include "common/unencodablecharacters.h"

#include "common/charsetdeclaration.h"
#include "common/cp932codec.h"

namespace {

// The declaration is looked for where a browser looks: near the top of the page.
constexpr qsizetype kDeclarationSearch = 1024;

QString describe(const UnencodableCharacters::Occurrence &o)
{
    const char32_t c = o.character;
    const bool printable = !QChar::isSurrogate(c) && QChar::isPrint(c);
    const QString shown = printable ? QString::fromUcs4(&c, 1) : QString();
    return QStringLiteral("「%1」(U+%2)\u3000%3 行目")
        .arg(shown, QString::number(uint(c), 16).toUpper().rightJustified(4, QLatin1Char('0')))
        .arg(o.line);
}

} // namespace

UnencodableCharacters UnencodableCharacters::find(const QString &text)
{
    UnencodableCharacters result;
    const char16_t *u = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype n = text.size();
    int line = 1;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = u[i];
        if (unit < 0x80) {
            if (unit == u'\n' || (unit == u'\r' && (i + 1 >= n || u[i + 1] != u'\n')))
                ++line;
            continue;
        }
        char32_t c = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < n && QChar::isLowSurrogate(u[i + 1])) {
            c = QChar::surrogateToUcs4(unit, u[i + 1]);
            ++i;
        }
        if (Cp932Codec::canEncode(c))
            continue;
        if (result.named.size() < kNamed)
            result.named.append({c, line});
        ++result.total;
    }
    return result;
}

QString UnencodableCharacters::utf8Question(bool pageDeclaresShiftJis) const
{
    QString text = QStringLiteral("Shift_JIS で保存できない文字が %1 個あります。\n").arg(total);
    for (const Occurrence &o : named)
        text += QStringLiteral("\n\u3000") + describe(o);
    if (total > named.size())
        text += QStringLiteral("\n\u3000ほか %1 個").arg(total - named.size());
    text += QStringLiteral("\n\nファイルはまだ書き込んでいません。");
    if (pageDeclaresShiftJis)
        text += QStringLiteral("このページは文字コードを Shift_JIS と宣言しているため、UTF-8 で保存するとその宣言が"
                               "正しくなくなります（charset を UTF-8 に直してください）。");
    text += QStringLiteral("\n代わりに UTF-8 で保存しますか。");
    return text;
}

bool UnencodableCharacters::declaresShiftJis(const QString &text)
{
    // Markup is ASCII in either encoding, so the text's own UTF-8 form shows the declaration.
    const auto declared = CharsetDeclaration::find(text.left(kDeclarationSearch).toUtf8());
    return declared && *declared == CharsetDeclaration::Declared::ShiftJis;
}
