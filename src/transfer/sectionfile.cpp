#include "transfer/sectionfile.h"

#include "common/atomicfile.h"
#include "common/errortext.h"
#include "common/linefile.h"
#include "common/regularfile.h"
#include "common/usererror.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

// False for an escape this file never writes.
bool unescaped(const QString &text, QString *out)
{
    out->clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\')) {
            *out += c;
            continue;
        }
        if (++i == text.size())
            return false;
        const QChar next = text.at(i);
        if (next == QLatin1Char('\\'))
            *out += QLatin1Char('\\');
        else if (next == QLatin1Char('n'))
            *out += QLatin1Char('\n');
        else if (next == QLatin1Char('r'))
            *out += QLatin1Char('\r');
        else
            return false;
    }
    return true;
}

} // namespace

QByteArray SectionFile::format(const QMap<QString, Section> &sections)
{
    QString text;
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QLatin1Char('[') + escaped(it.key()) + QStringLiteral("]\n");
        for (auto field = it->cbegin(); field != it->cend(); ++field)
            text += escaped(field.key()) + QLatin1Char('=') + escaped(field.value()) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

QMap<QString, SectionFile::Section> SectionFile::parse(const QByteArray &bytes, bool *damaged)
{
    *damaged = false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError() || text.contains(QChar(0)))
        *damaged = true;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QMap<QString, Section> sections;
    QString current;
    bool inSection = false;
    for (const QString &line : LineFile::splitLines(text)) {
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        QString name;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            if (!unescaped(line.mid(1, line.size() - 2), &name)) {
                *damaged = true;
                inSection = false;
                continue;
            }
            current = name;
            inSection = true;
            sections[current]; // a section without keys is still a section
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        QString key;
        QString value;
        if (!inSection || equals <= 0 || !unescaped(line.left(equals), &key)
            || !unescaped(line.mid(equals + 1), &value)) {
            *damaged = true;
            continue;
        }
        sections[current].insert(key, value);
    }
    return sections;
}

void SectionFile::load(const QString &path)
{
    m_sections.clear();
    m_modified = false;
    m_damaged = false;
    if (!QFileInfo::exists(path))
        return;
    try {
        m_sections = parse(RegularFile::readAll(path, RegularFile::kListFileLimit), &m_damaged);
    } catch (const UserError &) {
        // Whatever it holds is not read, so it must not be replaced unnoticed.
        m_damaged = true;
        throw;
    }
}

void SectionFile::write(const QString &path)
{
    if (m_damaged && QFileInfo::exists(path)) {
        if (!m_modified)
            return;
        // Moved, not copied: a rename happens whole or not at all.
        const QString backup = LineFile::backupPath(path);
        const QByteArray from = QFile::encodeName(path);
        const QByteArray to = QFile::encodeName(backup);
        if (std::rename(from.constData(), to.constData()) != 0) {
            const int saved = errno;
            throw UserError(QStringLiteral("ファイル %1 を作成できません\n%2").arg(backup, systemErrorText(saved)));
        }
        try {
            AtomicFile::write(path, format(m_sections), kOwnerOnly);
        } catch (...) {
            std::rename(to.constData(), from.constData());
            throw;
        }
    } else {
        AtomicFile::write(path, format(m_sections), kOwnerOnly);
    }
    m_damaged = false;
    m_modified = false;
}

void SectionFile::setSection(const QString &name, const Section &section)
{
    if (m_sections.contains(name) && m_sections.value(name) == section)
        return;
    m_sections.insert(name, section);
    m_modified = true;
}

void SectionFile::rename(const QString &from, const QString &to)
{
    if (from == to || !m_sections.contains(from))
        return;
    m_sections.insert(to, m_sections.take(from));
    m_modified = true;
}

void SectionFile::dropUnreadable(const QString &name, const QString &key)
{
    auto section = m_sections.find(name);
    if (section == m_sections.end() || !section->contains(key))
        return;
    section->remove(key);
    m_damaged = true;
}

void SectionFile::replaceUnreadable(const QString &name, const QString &key, const QString &value)
{
    auto section = m_sections.find(name);
    if (section == m_sections.end())
        return;
    section->insert(key, value);
    m_damaged = true;
}

void SectionFile::remove(const QString &name)
{
    if (m_sections.remove(name) > 0)
        m_modified = true;
}
