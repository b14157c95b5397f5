#include "app/documentstate.h"

#include "app/richtextrule.h"

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

QString DocumentState::formatLabel(const Document &document)
{
    if (RichTextRule::writesRichText(document.path()))
        return QStringLiteral("RTF");
    return TextCodec::encodingName(document.format());
}

void DocumentState::startNew()
{
    m_document.setPath(QString());
    m_document.setFormat(TextFormat{});
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
    m_document.setReadsPlainText(false);
    return enterFolderOf(fullPath);
}

void DocumentState::opened(const QString &fullPath, const TextFormat &format)
{
    m_document.setFormat(format);
    m_document.setPath(fullPath);
}

void DocumentState::dropped(const QString &fullPath, const TextFormat &format)
{
    m_document.setReadsPlainText(kDropReadsPlainText);
    m_document.setFormat(format);
    enterFolderOf(fullPath);
    m_document.setPath(fullPath);
}

QString DocumentState::broughtToFront()
{
    if (m_document.isUntitled())
        return QString();
    return enterFolderOf(m_document.path());
}

bool DocumentState::saveNeedsName(bool currentFileExists) const
{
    return m_document.isUntitled() || !currentFileExists;
}

bool DocumentState::beginWrite(const QString &fullPath)
{
    m_document.setReadsPlainText(!RichTextRule::writesRichText(fullPath));
    return m_document.readsPlainText();
}

QString DocumentState::savedAs(const QString &fullPath)
{
    m_document.setPath(fullPath);
    return enterFolderOf(fullPath);
}
