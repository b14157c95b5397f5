#include "transfer/sitebook.h"

#include "common/linefile.h"
#include "common/usererror.h"

#include <QFileInfo>

#include <algorithm>

void SiteBook::load(const QString &path)
{
    m_entries.clear();
    m_modified = false;
    m_readDamaged = false;
    if (!QFileInfo::exists(path))
        return;
    LineFile::Contents contents;
    try {
        contents = LineFile::readContents(path);
    } catch (const UserError &) {
        // Whatever it holds is not in the book, so it must not be replaced unnoticed.
        m_readDamaged = true;
        throw;
    }
    m_readDamaged = contents.damaged;
    if (contents.lines.isEmpty())
        return;
    // The first line decides how many commas every line lacks: a book of four-field lines
    // reads with an empty folder, and a longer line in it keeps the comma it was given.
    const qsizetype missing = SiteRecord::kFieldCount - contents.lines.constFirst().count(QLatin1Char(',')) - 1;
    const QString commas(std::max<qsizetype>(missing, 0), QLatin1Char(','));
    m_entries.reserve(contents.lines.size());
    for (const QString &line : std::as_const(contents.lines))
        m_entries.append({SiteRecord::fromLine(line + commas), line + commas});
}

void SiteBook::write(const QString &path) const
{
    QStringList lines;
    lines.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        lines.append(entry.line.isNull() ? entry.record.line() : entry.line);
    const LineFile::Contents asRead{{}, m_readDamaged};
    m_readDamaged =
        LineFile::writeOver(path, asRead, lines, m_modified, QFileDevice::ReadOwner | QFileDevice::WriteOwner).damaged;
    m_modified = false;
}

SiteRecord SiteBook::record(int number) const
{
    return contains(number) ? m_entries.at(number - 1).record : SiteRecord();
}

QList<SiteRecord> SiteBook::records() const
{
    QList<SiteRecord> records;
    records.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        records.append(entry.record);
    return records;
}

int SiteBook::store(int counter, const SiteRecord &record)
{
    const int number = counter == 0 ? 1 : counter;
    if (number > count()) {
        m_entries.append({record, QString()});
        m_modified = true;
        return count();
    }
    replace(number, record);
    return number;
}

bool SiteBook::replace(int number, const SiteRecord &record)
{
    if (!contains(number))
        return false;
    m_entries[number - 1] = {record, QString()};
    m_modified = true;
    return true;
}

bool SiteBook::remove(int number)
{
    if (!contains(number))
        return false;
    m_entries.removeAt(number - 1);
    m_modified = true;
    return true;
}

QStringList SiteBook::unstorableCharacters(const QString &field)
{
    QStringList names = LineFile::unstorableCharacters(field);
    if (field.contains(QLatin1Char(',')))
        names.prepend(QStringLiteral("カンマ(,)"));
    return names;
}

QString SiteBook::invalidReason(const SiteRecord &record, Password password)
{
    const bool passwordMissing = record.password.isEmpty() && password == Password::Required;
    if (record.name.isEmpty() || record.host.isEmpty() || record.user.isEmpty() || passwordMissing)
        return QStringLiteral("4つとも記入してください");
    static const QStringList kFieldNames{QStringLiteral("登録名"),
                                         QStringLiteral("ホスト名"),
                                         QStringLiteral("ユーザーＩＤ"),
                                         QStringLiteral("パスワード"),
                                         QStringLiteral("フォルダ")};
    const QStringList fields{record.name, record.host, record.user, record.password, record.folder};
    // Every character once, in one fixed order, whichever fields hold it.
    const QStringList refused = unstorableCharacters(fields.join(QString()));
    if (refused.isEmpty())
        return {};
    QStringList holders;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (!unstorableCharacters(fields.at(i)).isEmpty())
            holders.append(kFieldNames.at(i));
    }
    return QStringLiteral("%1は%2に使えません")
        .arg(refused.join(QStringLiteral("・")), holders.join(QStringLiteral("・")));
}

QString SiteBook::nameTakenReason(int counter, const QString &name) const
{
    const int own = counter == 0 ? 1 : counter;
    for (int number = 1; number <= count(); ++number) {
        if (number != own && record(number).name == name)
            return QStringLiteral("登録名「%1」は %2 件目で使っています。別の登録名にしてください")
                .arg(name)
                .arg(number);
    }
    return {};
}
