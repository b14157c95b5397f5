#pragma once

#include <QByteArray>
#include <QString>

// How the user wants the source view shown: HTML in colour, line numbers beside the text. Kept in
// a small file of its own in the data folder beside window.ini; a value the file lacks or does
// not hold plainly keeps its default (both on).
struct EditorViewOptions
{
    static inline const QString kFileName = QStringLiteral("editorview.ini");

    bool highlighting = true;
    bool lineNumbers = true;

    static EditorViewOptions parse(const QByteArray &text);
    QByteArray toText() const;

    // The defaults when the file is missing, unreadable or damaged.
    static EditorViewOptions read(const QString &path);
    // Replaces the file atomically; throws UserError when it cannot be written.
    void write(const QString &path) const;

    bool operator==(const EditorViewOptions &) const = default;
};
