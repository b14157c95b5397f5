#pragma once

#include <QAbstractScrollArea>
#include <QStackedWidget>
#include <QTextCursor>

class EditorPane;
class EditorViewRules;

class QMenu;
class QTextCharFormat;
class QTextDocument;
class SourceView;

// The kinds of editing view a document can be shown in.
enum class EditorKind {
    Source,   // HTML, text, CGI/Perl, ASP: the source view, laid out block by block
    RichText, // RTF: the rich-text pane
};

// The editor of the main window: the source view and the rich-text pane, one of them showing.
// The one in use is named RichEdit1 (and the other after its class), so whatever finds the
// editor by name finds the one the user types in. Commands reach the text through this class
// (and EditorAdapter above it), never through a view, so each command works on either. Owns
// both views, not the text they show (a page's Document owns it); what changes in the one in use
// is passed on as this class's own signals.
class EditorStack final : public QStackedWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorStack)

public:
    // An editor of a text of its own.
    explicit EditorStack(QWidget *parent = nullptr);
    // An editor of the given text, which must outlive it.
    explicit EditorStack(QTextDocument &text, QWidget *parent = nullptr);

    EditorKind kind() const { return m_kind; }
    bool isRichText() const { return m_kind == EditorKind::RichText; }
    // The view in use, and each view by kind.
    QAbstractScrollArea &view() const;
    SourceView &sourceView() const { return *m_source; }
    EditorPane &richPane() const { return *m_rich; }

    // Empties both views and puts the given kind in use, starting from the view's own font; the
    // undo history goes. For a document about to be read or made anew.
    void clearAs(EditorKind kind);
    // Puts the given kind in use, showing the same text with its character formats, caret and
    // modified flag; the undo history starts again.
    void convertTo(EditorKind kind);

    // The text shown, whichever view is in use; the same object for the editor's life.
    QTextDocument *document() const { return m_text; }
    QTextCursor textCursor() const;
    void setTextCursor(const QTextCursor &cursor);
    void moveCursor(QTextCursor::MoveOperation operation);
    QRect cursorRect(const QTextCursor &cursor) const;
    void ensureCursorVisible();
    QTextCharFormat currentCharFormat() const;
    void setCurrentCharFormat(const QTextCharFormat &format);
    void mergeCurrentCharFormat(const QTextCharFormat &format);
    void setPlainText(const QString &text);
    QString toPlainText() const;
    void insertPlainText(const QString &text);
    bool isReadOnly() const;

    void undo();
    void redo();
    void selectAll();
    void cut();
    void copy();
    void paste();

    // The background both views show, so it stays when the kind changes.
    QColor backgroundColor() const;
    void setBackgroundColor(const QColor &color);
    // The text colour both views use where the text sets none.
    QColor textColor() const;

    // Whether this is the editor in front among several: only that one's view in use is named
    // RichEdit1, so whatever finds the editor by name finds the one the user types in.
    void setInFront(bool inFront);

    // The menu a right click opens (PopupMenu1) in either view; not owned.
    void setContextMenu(QMenu *menu);

signals:
    // Of the view in use only.
    void textChanged();
    void cursorPositionChanged();
    void selectionChanged();
    // After the view handled it, so the caret is already where it moved to.
    void mouseButtonPressed();
    // Local files dropped on the editor, at a position of the text of the view in use.
    void filesDropped(const QStringList &paths, int position);
    // The other view came into use (the text stays the same).
    void viewReplaced();
    // The background both views show changed.
    void backgroundColorChanged(const QColor &color);

private:
    void putInUse(EditorKind kind);
    void nameViews();
    // Passes the view's signal on as the stack's own while that view is in use.
    template<typename View, typename Signal>
    void relay(View *view, Signal signal, void (EditorStack::*own)());
    // Calls the function with the view in use as its own class, so one body serves both.
    template<typename Function>
    decltype(auto) onView(Function &&function) const;

    QTextDocument *m_text = nullptr;
    EditorPane *m_rich = nullptr;
    SourceView *m_source = nullptr;
    EditorViewRules *m_rules = nullptr;
    EditorKind m_kind = EditorKind::Source;
    bool m_inFront = true;
};
