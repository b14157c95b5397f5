#include "app/documentstate.h"

#include "app/richtextrule.h"
#include "common/mainstate.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kProgramCaption = QStringLiteral("QZWeb");

} // namespace

QString DocumentState::caption(const QString &currentFile)
{
    if (currentFile.isEmpty())
        return kProgramCaption;
    return kProgramCaption + QStringLiteral(" [") + QDir::toNativeSeparators(currentFile) + QLatin1Char(']');
}

QString DocumentState::formatLabel() const
{
    if (RichTextRule::writesRichText(m_state.currentFile))
        return QStringLiteral("RTF");
    return TextCodec::encodingName(m_state.documentFormat);
}

void DocumentState::startNew()
{
    m_state.currentFile.clear();
    m_state.documentFormat = TextFormat{};
}

QString DocumentState::enterFolderOf(const QString &fullPath)
{
    const QString folder = QFileInfo(fullPath).absolutePath();
    QString previewDir = QDir::toNativeSeparators(folder);
    if (!previewDir.endsWith(QDir::separator()))
        previewDir += QDir::separator();
    m_preview.previewDir = previewDir;
    return folder;
}

QString DocumentState::beginOpen(const QString &fullPath)
{
    m_state.plainText = false;
    return enterFolderOf(fullPath);
}

void DocumentState::opened(const QString &fullPath, const TextFormat &format)
{
    m_state.documentFormat = format;
    m_state.currentFile = fullPath;
}

void DocumentState::dropped(const QString &fullPath, const TextFormat &format)
{
    m_state.plainText = kDropReadsPlainText;
    m_state.documentFormat = format;
    m_state.currentFile = fullPath;
}

bool DocumentState::saveNeedsName(bool currentFileExists) const
{
    return m_state.currentFile.isEmpty() || !currentFileExists;
}

bool DocumentState::beginWrite(const QString &fullPath)
{
    m_state.plainText = !RichTextRule::writesRichText(fullPath);
    return m_state.plainText;
}

QString DocumentState::savedAs(const QString &fullPath)
{
    m_state.currentFile = fullPath;
    return enterFolderOf(fullPath);
}
