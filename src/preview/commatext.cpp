#include "preview/commatext.h"

namespace CommaText {

namespace {

const QChar kQuote = QLatin1Char('"');
const QChar kComma = QLatin1Char(',');

// The blanks the reading rules skip: every control character and the space. A zero character
// ends the text, so it is never skipped past.
bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

bool endsBareField(QChar c)
{
    return c.unicode() <= 32 || c == kComma;
}

} // namespace

QStringList split(const QString &line)
{
    // A zero character ends the line as it ends the file.
    const qsizetype end = line.contains(QChar(0)) ? line.indexOf(QChar(0)) : line.size();
    QStringList fields;
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < end && isBlank(line.at(i)))
            ++i;
    };

    skipBlanks();
    while (i < end) {
        QString field;
        if (line.at(i) == kQuote) {
            ++i;
            while (i < end) {
                if (line.at(i) == kQuote) {
                    if (i + 1 < end && line.at(i + 1) == kQuote) {
                        field += kQuote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line.at(i);
                ++i;
            }
        } else {
            const qsizetype start = i;
            while (i < end && !endsBareField(line.at(i)))
                ++i;
            field = line.mid(start, i - start);
        }
        fields.append(field);

        skipBlanks();
        if (i < end && line.at(i) == kComma) {
            if (i + 1 == end)
                fields.append(QString());
            ++i;
            skipBlanks();
        }
    }
    return fields;
}

QString quoted(const QString &field)
{
    QString text = field;
    text.replace(kQuote, QStringLiteral("\"\""));
    return kQuote + text + kQuote;
}

QString join(const QStringList &fields)
{
    QStringList parts;
    parts.reserve(fields.size());
    for (const QString &field : fields)
        parts.append(quoted(field));
    return parts.join(kComma);
}

} // namespace CommaText
