#include "app/editcommands.h"

#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "common/commanddispatcher.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <type_traits>

namespace {

// Calls the function with the control as its own class when it is one of the text controls the
// clipboard commands serve (a line edit, the rich-text pane, the source view); says whether.
template<typename Function>
bool onTextControl(QWidget *control, Function &&function)
{
    if (auto *line = qobject_cast<QLineEdit *>(control)) {
        function(*line);
        return true;
    }
    if (auto *text = qobject_cast<QTextEdit *>(control)) {
        function(*text);
        return true;
    }
    if (auto *plain = qobject_cast<QPlainTextEdit *>(control)) {
        function(*plain);
        return true;
    }
    return false;
}

bool hasSelection(const QLineEdit &line)
{
    return line.hasSelectedText();
}

template<typename TextView>
bool hasSelection(const TextView &view)
{
    return view.textCursor().hasSelection();
}

void setEnabled(const QList<QAction *> &actions, bool enabled)
{
    for (QAction *action : actions)
        action->setEnabled(enabled);
}

bool clipboardHoldsText()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText() && !data->text().isEmpty();
}

} // namespace

EditCommands::EditCommands(CommandDispatcher &commands, PageContext &current, QWidget &window, EditActions actions)
    : QObject(&window), m_current(current), m_window(window), m_actions(std::move(actions))
{
    commands.add(QStringLiteral("Undo1Click"), [this](int) { undo(); });
    commands.add(QStringLiteral("SelectAll1Click"), [this](int) { selectAll(); });
    commands.add(QStringLiteral("EditCut"), [this](int) { cut(); });
    commands.add(QStringLiteral("EditCopy"), [this](int) { copy(); });
    commands.add(QStringLiteral("EditPaste"), [this](int) { paste(); });

    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &EditCommands::refresh);
    connect(qApp, &QApplication::focusChanged, this, [this] {
        watchSelectionOf(target());
        refresh();
    });
    // A menu opened shows the state of this moment, whatever the clipboard did meanwhile.
    for (const QList<QAction *> *group : {&m_actions.cut, &m_actions.copy, &m_actions.paste}) {
        for (QAction *action : *group) {
            for (QObject *owner : action->associatedObjects()) {
                if (auto *menu = qobject_cast<QMenu *>(owner))
                    connect(menu, &QMenu::aboutToShow, this, &EditCommands::refresh, Qt::UniqueConnection);
            }
        }
    }
    watchSelectionOf(&m_current.editor().view());
    // The view in use changes with the kind of document.
    connect(&m_current, &PageContext::viewReplaced, this, [this] {
        watchSelectionOf(target());
        refresh();
    });
    // So does the page in front.
    connect(&m_current, &PageContext::changed, this, [this] {
        watchSelectionOf(target());
        refresh();
    });
    refresh();
}

void EditCommands::undo()
{
    m_current.editor().undo();
}

void EditCommands::selectAll()
{
    m_current.editor().selectAll();
}

void EditCommands::cut()
{
    onTextControl(target(), [](auto &control) { control.cut(); });
}

void EditCommands::copy()
{
    onTextControl(target(), [](auto &control) { control.copy(); });
}

void EditCommands::paste()
{
    onTextControl(target(), [](auto &control) { control.paste(); });
}

QWidget *EditCommands::target() const
{
    QWidget *focused = m_window.focusWidget();
    // An editable combo box keeps the focus itself and hands the keys to its line edit.
    if (auto *box = qobject_cast<QComboBox *>(focused); box && box->lineEdit())
        return box->lineEdit();
    if (onTextControl(focused, [](auto &) {}))
        return focused;
    return &m_current.editor().view();
}

void EditCommands::watchSelectionOf(QWidget *control)
{
    QObject::disconnect(m_selectionWatch);
    onTextControl(control, [this](auto &text) {
        using Control = std::decay_t<decltype(text)>;
        m_selectionWatch = connect(&text, &Control::selectionChanged, this, &EditCommands::refreshSelection);
    });
}

bool EditCommands::targetIsWritable() const
{
    bool writable = false;
    onTextControl(target(), [&](auto &control) { writable = !control.isReadOnly(); });
    return writable;
}

void EditCommands::refreshSelection()
{
    bool selected = false;
    onTextControl(target(), [&](auto &control) { selected = hasSelection(control); });
    setEnabled(m_actions.copy, selected);
    setEnabled(m_actions.cut, selected && targetIsWritable());
}

void EditCommands::refresh()
{
    refreshSelection();
    setEnabled(m_actions.paste, clipboardHoldsText() && targetIsWritable());
}
