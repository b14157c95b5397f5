#include "app/editcommands.h"

#include "common/commanddispatcher.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTextEdit>

namespace {

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

EditCommands::EditCommands(CommandDispatcher &commands, QTextEdit &editor, QWidget &window, EditActions actions)
    : QObject(&window), m_editor(editor), m_window(window), m_actions(std::move(actions))
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
    watchSelectionOf(&m_editor);
    refresh();
}

void EditCommands::undo()
{
    m_editor.undo();
}

void EditCommands::selectAll()
{
    m_editor.selectAll();
}

void EditCommands::cut()
{
    QWidget *control = target();
    if (auto *line = qobject_cast<QLineEdit *>(control))
        line->cut();
    else if (auto *text = qobject_cast<QTextEdit *>(control))
        text->cut();
}

void EditCommands::copy()
{
    QWidget *control = target();
    if (auto *line = qobject_cast<QLineEdit *>(control))
        line->copy();
    else if (auto *text = qobject_cast<QTextEdit *>(control))
        text->copy();
}

void EditCommands::paste()
{
    QWidget *control = target();
    if (auto *line = qobject_cast<QLineEdit *>(control))
        line->paste();
    else if (auto *text = qobject_cast<QTextEdit *>(control))
        text->paste();
}

QWidget *EditCommands::target() const
{
    QWidget *focused = m_window.focusWidget();
    // An editable combo box keeps the focus itself and hands the keys to its line edit.
    if (auto *box = qobject_cast<QComboBox *>(focused); box && box->lineEdit())
        return box->lineEdit();
    if (qobject_cast<QLineEdit *>(focused) || qobject_cast<QTextEdit *>(focused))
        return focused;
    return &m_editor;
}

void EditCommands::watchSelectionOf(QWidget *control)
{
    QObject::disconnect(m_selectionWatch);
    if (auto *line = qobject_cast<QLineEdit *>(control))
        m_selectionWatch = connect(line, &QLineEdit::selectionChanged, this, &EditCommands::refreshSelection);
    else if (auto *text = qobject_cast<QTextEdit *>(control))
        m_selectionWatch = connect(text, &QTextEdit::selectionChanged, this, &EditCommands::refreshSelection);
}

bool EditCommands::targetIsWritable() const
{
    QWidget *control = target();
    if (auto *line = qobject_cast<QLineEdit *>(control))
        return !line->isReadOnly();
    if (auto *text = qobject_cast<QTextEdit *>(control))
        return !text->isReadOnly();
    return false;
}

void EditCommands::refreshSelection()
{
    QWidget *control = target();
    bool selected = false;
    if (auto *line = qobject_cast<QLineEdit *>(control))
        selected = line->hasSelectedText();
    else if (auto *text = qobject_cast<QTextEdit *>(control))
        selected = text->textCursor().hasSelection();
    setEnabled(m_actions.copy, selected);
    setEnabled(m_actions.cut, selected && targetIsWritable());
}

void EditCommands::refresh()
{
    refreshSelection();
    setEnabled(m_actions.paste, clipboardHoldsText() && targetIsWritable());
}
