#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class Document;

// The open documents, in the order they were opened (the tabs' order), and the current one:
// the one the commands act on. Opening a file that is open already finds its document, whatever
// path leads to it. Owns the documents; a closed one goes once its aboutToClose has been told.
class DocumentRegistry final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentRegistry)

public:
    explicit DocumentRegistry(QObject *parent = nullptr);
    ~DocumentRegistry() override;

    // A new untitled document after the others; it is not made current.
    Document &create();
    // The open document of that file (the same file by any path), or null.
    Document *find(const QString &path) const;

    QList<Document *> documents() const;
    int count() const { return int(m_documents.size()); }
    int indexOf(const Document *document) const;
    Document *at(int index) const;

    // Null only while nothing is open.
    Document *current() const { return m_current; }
    void setCurrent(Document *document);

    // Tells aboutToClose, then forgets and deletes the document. When it was current, its right
    // neighbour (else its left one) becomes current.
    void close(Document &document);

    // Two paths name the same file: compared as the file system resolves them when the file
    // exists (links, "..", doubled separators), else as absolute clean paths.
    static bool samePath(const QString &a, const QString &b);

signals:
    void opened(Document *document);
    void aboutToClose(Document *document);
    void currentChanged(Document *document);

private:
    std::vector<std::unique_ptr<Document>> m_documents;
    Document *m_current = nullptr;
};
