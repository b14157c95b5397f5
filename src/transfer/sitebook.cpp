#include "transfer/sitebook.h"

#include "common/linefile.h"
#include "common/usererror.h"

#include <QFileInfo>

QString SiteRecord::line() const
{
    return QStringList{name, host, user, password, folder}.join(QLatin1Char(','));
}

QStringList SiteBook::splitFields(const QString &line)
{
    return line.split(QLatin1Char(','));
}

void SiteBook::load(const QString &path)
{
    m_lines.clear();
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
    m_lines = contents.lines;
    if (m_lines.isEmpty())
        return;
    // The first line decides how many commas every line lacks.
    const qsizetype missing = kFieldCount - splitFields(m_lines.constFirst()).size();
    if (missing > 0) {
        const QString commas(missing, QLatin1Char(','));
        for (QString &line : m_lines)
            line += commas;
    }
}

void SiteBook::write(const QString &path) const
{
    const LineFile::Contents asRead{{}, m_readDamaged};
    m_readDamaged =
        LineFile::writeOver(path, asRead, m_lines, m_modified, QFileDevice::ReadOwner | QFileDevice::WriteOwner)
            .damaged;
    m_modified = false;
}

SiteRecord SiteBook::record(int number) const
{
    if (!contains(number))
        return {};
    QStringList fields = splitFields(m_lines.at(number - 1));
    while (fields.size() < kFieldCount)
        fields.append(QString());
    return {fields.at(0), fields.at(1), fields.at(2), fields.at(3), fields.at(4)};
}

int SiteBook::store(int counter, const SiteRecord &record)
{
    const int number = counter == 0 ? 1 : counter;
    if (number > count()) {
        m_lines.append(record.line());
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
    m_lines[number - 1] = record.line();
    m_modified = true;
    return true;
}

bool SiteBook::remove(int number)
{
    if (!contains(number))
        return false;
    m_lines.removeAt(number - 1);
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

QString SiteBook::invalidReason(const SiteRecord &record)
{
    const QStringList typed{record.name, record.host, record.user, record.password};
    for (const QString &field : typed) {
        if (field.isEmpty())
            return QStringLiteral("4つとも記入してください");
    }
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
