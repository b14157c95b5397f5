#include "authoring/editorstack.h"

#include "authoring/accessibletextrelay.h"
#include "authoring/editorpane.h"
#include "authoring/editorviewrules.h"
#include "authoring/sourceview.h"

#include <QTextCharFormat>
#include <QTextDocument>

#include <type_traits>

namespace {

const QString kEditorName = QStringLiteral("RichEdit1");
const QString kStandbyRichName = QStringLiteral("RichTextPane");
const QString kStandbySourceName = QStringLiteral("SourceView");

// What both views share: the Tab key types a tab, lines wrap at the view's width, the
// vertical bar is always there and the splitter may squeeze the view to a line.
template<typename View>
void setUpView(View &view)
{
    view.setAccessibleName(QStringLiteral("HTML ソース"));
    view.setTabChangesFocus(false);
    view.setLineWrapMode(View::WidgetWidth);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view.setMinimumHeight(1);
    AccessibleTextRelay::watch(view);
}

} // namespace

template<typename View, typename Signal>
void EditorStack::relay(View *view, Signal signal, void (EditorStack::*own)())
{
    connect(view, signal, this, [this, view, own] {
        if (view == &this->view())
            (this->*own)();
    });
}

template<typename Function>
decltype(auto) EditorStack::onView(Function &&function) const
{
    if (isRichText())
        return function(*m_rich);
    return function(*m_source);
}

EditorStack::EditorStack(QWidget *parent) : EditorStack(*new QTextDocument, parent)
{
    m_text->setParent(this);
}

EditorStack::EditorStack(QTextDocument &text, QWidget *parent)
    : QStackedWidget(parent), m_text(&text), m_rich(new EditorPane(this)), m_source(new SourceView(this)),
      m_rules(new EditorViewRules(this))
{
    setMinimumHeight(1);
    setUpView(*m_rich);
    setUpView(*m_source);
    addWidget(m_source);
    addWidget(m_rich);
    for (QAbstractScrollArea *view :
         {static_cast<QAbstractScrollArea *>(m_source), static_cast<QAbstractScrollArea *>(m_rich)})
        m_rules->watch(*view);
    connect(m_rules, &EditorViewRules::filesDropped, this, &EditorStack::filesDropped);
    // From the text's own report of changed characters, not the views' textChanged: that one
    // also fires when the highlighter re-colours lines, which changes no text.
    connect(m_text, &QTextDocument::contentsChange, this, &EditorStack::textChanged);
    relay(m_source, &QPlainTextEdit::cursorPositionChanged, &EditorStack::cursorPositionChanged);
    relay(m_rich, &QTextEdit::cursorPositionChanged, &EditorStack::cursorPositionChanged);
    relay(m_source, &QPlainTextEdit::selectionChanged, &EditorStack::selectionChanged);
    relay(m_rich, &QTextEdit::selectionChanged, &EditorStack::selectionChanged);
    relay(m_source, &SourceView::mouseButtonPressed, &EditorStack::mouseButtonPressed);
    relay(m_rich, &EditorPane::mouseButtonPressed, &EditorStack::mouseButtonPressed);
    putInUse(EditorKind::Source);
}

QAbstractScrollArea &EditorStack::view() const
{
    if (isRichText())
        return *m_rich;
    return *m_source;
}

void EditorStack::putInUse(EditorKind kind)
{
    const bool hadFocus = view().hasFocus();
    // The view leaving lets go of the text before the other lays it out in its own way.
    if (kind != m_kind)
        onView([](auto &v) { v.showText(nullptr); });
    m_kind = kind;
    onView([this](auto &v) { v.showText(m_text); });
    nameViews();
    setCurrentWidget(&view());
    setFocusProxy(&view());
    if (hadFocus)
        view().setFocus();
    emit viewReplaced();
}

void EditorStack::nameViews()
{
    m_rich->setObjectName(isRichText() && m_inFront ? kEditorName : kStandbyRichName);
    m_source->setObjectName(!isRichText() && m_inFront ? kEditorName : kStandbySourceName);
}

void EditorStack::setInFront(bool inFront)
{
    m_inFront = inFront;
    nameViews();
}

void EditorStack::clearAs(EditorKind kind)
{
    m_rich->clear();
    m_source->clear();
    if (kind != m_kind)
        putInUse(kind);
    // The view would give new text the format at its caret, which may be what the previous
    // document ended in; a document starts from the view's own font.
    setCurrentCharFormat(QTextCharFormat());
}

void EditorStack::convertTo(EditorKind kind)
{
    if (kind == m_kind)
        return;
    const QTextCursor caret = textCursor();
    const int anchor = caret.anchor();
    const int position = caret.position();
    const bool modified = m_text->isModified();
    putInUse(kind);
    // An undo step of one view's edits has no meaning in the other's.
    m_text->clearUndoRedoStacks();
    m_text->setModified(modified);
    QTextCursor moved(m_text);
    moved.setPosition(anchor);
    moved.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(moved);
}

QTextCursor EditorStack::textCursor() const
{
    return onView([&](auto &v) { return v.textCursor(); });
}

void EditorStack::setTextCursor(const QTextCursor &cursor)
{
    onView([&](auto &v) { return v.setTextCursor(cursor); });
}

void EditorStack::moveCursor(QTextCursor::MoveOperation operation)
{
    onView([&](auto &v) { return v.moveCursor(operation); });
}

QRect EditorStack::cursorRect(const QTextCursor &cursor) const
{
    return onView([&](auto &v) { return v.cursorRect(cursor); });
}

void EditorStack::ensureCursorVisible()
{
    onView([&](auto &v) { return v.ensureCursorVisible(); });
}

QTextCharFormat EditorStack::currentCharFormat() const
{
    return onView([&](auto &v) { return v.currentCharFormat(); });
}

void EditorStack::setCurrentCharFormat(const QTextCharFormat &format)
{
    onView([&](auto &v) { return v.setCurrentCharFormat(format); });
}

void EditorStack::mergeCurrentCharFormat(const QTextCharFormat &format)
{
    onView([&](auto &v) { return v.mergeCurrentCharFormat(format); });
}

void EditorStack::setPlainText(const QString &text)
{
    onView([&](auto &v) { return v.setPlainText(text); });
}

QString EditorStack::toPlainText() const
{
    return onView([&](auto &v) { return v.toPlainText(); });
}

void EditorStack::insertPlainText(const QString &text)
{
    onView([&](auto &v) { return v.insertPlainText(text); });
}

bool EditorStack::isReadOnly() const
{
    return onView([&](auto &v) { return v.isReadOnly(); });
}

void EditorStack::undo()
{
    onView([&](auto &v) { return v.undo(); });
}

void EditorStack::redo()
{
    onView([&](auto &v) { return v.redo(); });
}

void EditorStack::selectAll()
{
    onView([&](auto &v) { return v.selectAll(); });
}

void EditorStack::cut()
{
    onView([&](auto &v) { return v.cut(); });
}

void EditorStack::copy()
{
    onView([&](auto &v) { return v.copy(); });
}

void EditorStack::paste()
{
    onView([&](auto &v) { return v.paste(); });
}

QColor EditorStack::backgroundColor() const
{
    return view().palette().color(QPalette::Base);
}

void EditorStack::setBackgroundColor(const QColor &color)
{
    if (color == backgroundColor())
        return;
    for (QWidget *v : {static_cast<QWidget *>(m_source), static_cast<QWidget *>(m_rich)}) {
        QPalette palette = v->palette();
        palette.setColor(QPalette::Base, color);
        v->setPalette(palette);
    }
    emit backgroundColorChanged(color);
}

QColor EditorStack::textColor() const
{
    return view().palette().color(QPalette::Text);
}

void EditorStack::setContextMenu(QMenu *menu)
{
    m_rules->setContextMenu(menu);
}
