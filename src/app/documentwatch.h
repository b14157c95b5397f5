#pragma once

#include <QObject>
#include <QPointer>

class QTextDocument;

// Passes on the edits and the modification flag of the text document the window's editor
// shows. Whoever follows the document connects here once; when the editor is given another
// document (another view takes the page), watch() moves over to it and the followers never
// notice. Refers to the document; owns nothing.
class DocumentWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentWatch)

public:
    explicit DocumentWatch(QObject *parent = nullptr);

    void watch(QTextDocument *document);
    QTextDocument *document() const { return m_document; }

signals:
    void edited();
    void modificationChanged(bool modified);

private:
    QPointer<QTextDocument> m_document;
    QMetaObject::Connection m_edited;
    QMetaObject::Connection m_modified;
};
