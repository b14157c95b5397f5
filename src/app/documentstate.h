#pragma once

#include "common/textcodec.h"
#include "preview/previewsession.h"
#include "workspace/document.h"

#include <QString>

// What New, Open, a drop, Save and Save As do to the open document and the preview folder: the
// path, the read mode and the stored format, the folder that follows the path, and the caption
// that follows from them. No files and no windows: the document commands read and write the
// files, make a folder current and set the caption; this says what the state becomes. Refers to
// the document and the preview session.
class DocumentState
{
public:
    DocumentState(Document &document, PreviewSession &preview) : m_document(document), m_preview(preview) {}

    // "QZWeb", or "QZWeb [path]" with the path in the platform's separators.
    static QString caption(const QString &currentFile);
    QString caption() const { return caption(m_document.path()); }

    // What the status bar says the document is written as: "RTF" for a name Save writes as rich
    // text, else the encoding of the plain text.
    static QString formatLabel(const Document &document);

    // New: untitled, written in the default format; the folders and the read mode stay.
    void startNew();

    // Open, before the file is read: its folder becomes the preview folder and the read mode
    // goes off, even when the read then fails. Returns the folder to make current.
    QString beginOpen(const QString &fullPath);
    // After a successful read by Open or the start-up file.
    void opened(const QString &fullPath, const TextFormat &format);

    // A drop reads every file as plain text and leaves the current folder alone.
    static constexpr bool kDropReadsPlainText = true;
    // After a dropped file was read: the preview goes beside it, so that its links work.
    void dropped(const QString &fullPath, const TextFormat &format);

    // The page came to the front among others: a titled one's folder becomes the preview
    // folder. Returns the folder to make current; empty for an untitled page, which has none.
    QString broughtToFront();

    // Save goes through Save As for an untitled document or one whose file has gone.
    bool saveNeedsName(bool currentFileExists) const;
    // Before a write: the read mode follows the name (rich text only for a lower-case ".rtf").
    // Returns whether the document is written as plain text.
    bool beginWrite(const QString &fullPath);
    // After Save As wrote the file: it is the current file, its folder the preview folder.
    // Returns the folder to make current.
    QString savedAs(const QString &fullPath);

private:
    QString enterFolderOf(const QString &fullPath);

    Document &m_document;
    PreviewSession &m_preview;
};
