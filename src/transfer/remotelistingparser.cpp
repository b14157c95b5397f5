#include "transfer/remotelistingparser.h"

#include "transfer/remotenames.h"

#include <QSet>

#include <array>
#include <cstring>

namespace RemoteListingParser {

namespace {

// Lines this short are never an entry ("total 24" and the like).
constexpr qsizetype kShortestEntry = 20;
constexpr int kSizeWidth = 10;
constexpr int kPermissionLength = 10;

struct Token
{
    qsizetype begin = 0;
    qsizetype end = 0;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Blank-separated tokens with their places in the line, so the name can be cut out whole. The
// vector is the caller's, so a long listing reuses one.
void blankTokens(QByteArrayView line, std::vector<Token> &tokens)
{
    tokens.clear();
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i == n)
            break;
        const qsizetype begin = i;
        while (i < n && !isBlank(line[i]))
            ++i;
        tokens.push_back({begin, i});
    }
}

QByteArrayView text(QByteArrayView line, Token t)
{
    return line.sliced(t.begin, t.end - t.begin);
}

bool allDigits(QByteArrayView s)
{
    if (s.isEmpty())
        return false;
    for (const char c : s) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::optional<qint64> number(QByteArrayView s)
{
    // 18 digits always fit a qint64 (the largest is 9,223,372,036,854,775,807).
    constexpr qsizetype kMaxDigits = 18;
    if (!allDigits(s) || s.size() > kMaxDigits)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : s)
        value = value * 10 + (c - '0');
    return value;
}

// 1 to 12 for a month's English abbreviation in any case, 0 for anything else.
int monthNumber(QByteArrayView s)
{
    static constexpr std::array<const char *, 12> months = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (s.size() != 3)
        return 0;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const char a = lower(s[0]);
    const char b = lower(s[1]);
    const char c = lower(s[2]);
    for (std::size_t i = 0; i < months.size(); ++i) {
        const char *m = months[i];
        if (a == m[0] && b == m[1] && c == m[2])
            return static_cast<int>(i) + 1;
    }
    return 0;
}

// A small number of at most two digits; -1 for anything else.
int twoDigits(QByteArrayView s)
{
    if (!allDigits(s) || s.size() > 2)
        return -1;
    return s.size() == 1 ? s[0] - '0' : (s[0] - '0') * 10 + (s[1] - '0');
}

bool isDay(QByteArrayView s)
{
    const int day = twoDigits(s);
    return day >= 1 && day <= 31;
}

// "12:34", "1:05" or a year such as "2003".
bool isTimeOrYear(QByteArrayView s)
{
    if (s.size() == 4 && allDigits(s))
        return true;
    const qsizetype colon = s.indexOf(':');
    return colon >= 1 && colon <= 2 && allDigits(s.first(colon)) && s.size() - colon - 1 == 2
        && allDigits(s.sliced(colon + 1));
}

// "12:34" or "1:05" as a time of day; invalid for a year or an hour no day has.
QTime timeOfDay(QByteArrayView s)
{
    const qsizetype colon = s.indexOf(':');
    if (colon < 0)
        return QTime();
    return QTime(twoDigits(s.first(colon)), twoDigits(s.sliced(colon + 1)));
}

// The listing's month, day and time-or-year as a date value.
RemoteDate unixDate(int month, int day, QByteArrayView timeOrYear, const QDate &today)
{
    if (!timeOrYear.contains(':'))
        return {QDate(static_cast<int>(*number(timeOrYear)), month, day), QTime()};
    return {RemoteDate::dayWithoutYear(month, day, today), timeOfDay(timeOrYear)};
}

bool looksLikePermissions(QByteArrayView s)
{
    if (s.size() < kPermissionLength || std::strchr("-dlcbpsD", s.at(0)) == nullptr)
        return false;
    for (qsizetype i = 1; i < kPermissionLength; ++i) {
        if (std::strchr("rwxsStTlL-", s.at(i)) == nullptr)
            return false;
    }
    return true;
}

QString latin(QByteArrayView s)
{
    return QString::fromLatin1(s);
}

// The name is everything after the one blank that follows the time or year: ls separates the
// two by a single blank, so blanks at the start of a name are the name's own.
std::optional<RemoteItem> parseUnix(QByteArrayView line, const std::vector<Token> &tokens, const QDate &today)
{
    const QByteArrayView permissions = text(line, tokens.front());
    if (!looksLikePermissions(permissions))
        return std::nullopt;
    for (std::size_t i = 3; i + 2 < tokens.size(); ++i) {
        const int month = monthNumber(text(line, tokens[i]));
        if (month == 0 || !isDay(text(line, tokens[i + 1])) || !isTimeOrYear(text(line, tokens[i + 2])))
            continue;
        const auto size = number(text(line, tokens[i - 1]));
        if (!size)
            continue;
        qsizetype nameStart = tokens[i + 2].end;
        if (nameStart < line.size() && isBlank(line.at(nameStart)))
            ++nameStart;
        RemoteItem item;
        item.name = QByteArray(line.data() + nameStart, line.size() - nameStart);
        const char kind = permissions.at(0);
        if (kind == 'l') {
            const qsizetype arrow = item.name.indexOf(" -> ");
            if (arrow > 0) {
                item.linkTarget = RemoteNames::decode(item.name.mid(arrow + 4));
                item.name.truncate(arrow);
            }
        }
        if (item.name.isEmpty())
            return std::nullopt;
        item.displayName = RemoteNames::decode(item.name);
        item.date = unixDate(month, twoDigits(text(line, tokens[i + 1])), text(line, tokens[i + 2]), today);
        // A device has major and minor numbers where a file has its size.
        item.size = (kind == 'c' || kind == 'b') ? 0 : *size;
        item.attributes = latin(permissions);
        item.folder = kind == 'd';
        return item;
    }
    return std::nullopt;
}

// "01-05-26" or "01-05-2026", month first, as a date; none for anything else.
std::optional<QDate> dosDate(QByteArrayView s)
{
    const QList<QByteArray> parts = s.toByteArray().split('-');
    if (parts.size() != 3 || twoDigits(parts[0]) < 0 || twoDigits(parts[1]) < 0 || !allDigits(parts[2])
        || (parts[2].size() != 2 && parts[2].size() != 4))
        return std::nullopt;
    return QDate(RemoteDate::fullYear(parts[2].toInt()), twoDigits(parts[0]), twoDigits(parts[1]));
}

// "12:34PM", "09:00AM" or "23:59" as a time of day; none for anything else.
std::optional<QTime> dosTime(QByteArrayView s)
{
    QByteArray t = s.toByteArray().toUpper();
    const bool afternoon = t.endsWith("PM");
    const bool twelveHour = afternoon || t.endsWith("AM");
    if (twelveHour)
        t.chop(2);
    if (!isTimeOrYear(t) || !t.contains(':'))
        return std::nullopt;
    QTime time = timeOfDay(t);
    if (twelveHour && time.isValid()) {
        constexpr int kHalfDay = 12 * 60 * 60;
        const int hour = time.hour() % 12;
        time = QTime(hour, time.minute()).addSecs(afternoon ? kHalfDay : 0);
    }
    return time;
}

// "01-05-26  12:34PM  <DIR>  name" and "01-05-26  12:34PM  1234 name".
std::optional<RemoteItem> parseDos(QByteArrayView line, const std::vector<Token> &tokens)
{
    if (tokens.size() < 4)
        return std::nullopt;
    const std::optional<QDate> day = dosDate(text(line, tokens[0]));
    const std::optional<QTime> time = dosTime(text(line, tokens[1]));
    if (!day || !time)
        return std::nullopt;
    const QByteArrayView third = text(line, tokens[2]);
    RemoteItem item;
    if (third.toByteArray().toUpper() == "<DIR>") {
        item.folder = true;
        item.attributes = QStringLiteral("<DIR>");
    } else if (const auto size = number(third)) {
        item.size = *size;
    } else {
        return std::nullopt;
    }
    item.name = QByteArray(line.data() + tokens[3].begin, line.size() - tokens[3].begin);
    item.displayName = RemoteNames::decode(item.name);
    item.date = {*day, *time};
    return item;
}

std::optional<RemoteItem> parseLine(QByteArrayView line, std::vector<Token> &tokens, const QDate &today)
{
    if (line.size() < kShortestEntry)
        return std::nullopt;
    blankTokens(line, tokens);
    if (tokens.size() < 4)
        return std::nullopt;
    if (auto item = parseUnix(line, tokens, today))
        return item;
    return parseDos(line, tokens);
}

} // namespace

QList<QByteArray> splitTokens(const QByteArray &line)
{
    const auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    QList<QByteArray> tokens;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n && isSpace(line.at(i)))
        ++i;
    while (i < n) {
        QByteArray token;
        if (line.at(i) == '"') {
            ++i;
            while (i < n) {
                if (line.at(i) == '"') {
                    if (i + 1 < n && line.at(i + 1) == '"') {
                        token += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                token += line.at(i++);
            }
        } else {
            const qsizetype begin = i;
            while (i < n && !isSpace(line.at(i)) && line.at(i) != ',')
                ++i;
            token = line.mid(begin, i - begin);
        }
        tokens.append(token);
        while (i < n && isSpace(line.at(i)))
            ++i;
        if (i < n && line.at(i) == ',') {
            if (i == n - 1)
                tokens.append(QByteArray());
            ++i;
            while (i < n && isSpace(line.at(i)))
                ++i;
        }
    }
    return tokens;
}

std::optional<RemoteItem> parseLine(const QByteArray &line, const QDate &today)
{
    std::vector<Token> tokens;
    return parseLine(QByteArrayView(line), tokens, today);
}

RemoteItems parse(const std::vector<std::string> &lines, const QDate &today)
{
    RemoteItems items;
    items.reserve(static_cast<qsizetype>(lines.size()));
    std::vector<Token> tokens;
    // A folder has a handful of different permission texts: each is held once, shared by
    // every entry that has it, so a long folder costs less per entry.
    QSet<QString> attributeTexts;
    for (const std::string &line : lines) {
        auto item = parseLine(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())), tokens, today);
        if (!item)
            continue;
        const auto known = attributeTexts.constFind(item->attributes);
        if (known != attributeTexts.cend())
            item->attributes = *known;
        else
            attributeTexts.insert(item->attributes);
        items.push_back(std::move(*item));
    }
    return items;
}

QString sizeText(qint64 size)
{
    const QString digits = QString::number(size);
    QString grouped;
    const qsizetype start = digits.startsWith(QLatin1Char('-')) ? 1 : 0;
    grouped = digits.left(start);
    for (qsizetype i = start; i < digits.size(); ++i) {
        if (i > start && (digits.size() - i) % 3 == 0)
            grouped += QLatin1Char(',');
        grouped += digits.at(i);
    }
    return grouped.size() < kSizeWidth ? QString(kSizeWidth - grouped.size(), QLatin1Char(' ')) + grouped : grouped;
}

} // namespace RemoteListingParser
