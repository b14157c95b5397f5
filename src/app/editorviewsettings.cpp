#include "app/editorviewsettings.h"

#include "authoring/sourceview.h"
#include "common/commanddispatcher.h"

#include <QAction>

EditorViewSettings::EditorViewSettings(
    CommandDispatcher &commands, QAction &highlighting, QAction &lineNumbers, const QString &filePath, QObject *parent)
    : QObject(parent), m_highlighting(highlighting), m_lineNumbers(lineNumbers), m_filePath(filePath),
      m_options(EditorViewOptions::read(filePath))
{
    for (QAction *item : {&m_highlighting, &m_lineNumbers})
        item->setCheckable(true);
    m_highlighting.setChecked(m_options.highlighting);
    m_lineNumbers.setChecked(m_options.lineNumbers);
    commands.add(kHighlightingHandler, [this](int) { choose(&EditorViewOptions::highlighting, m_highlighting); });
    commands.add(kLineNumbersHandler, [this](int) { choose(&EditorViewOptions::lineNumbers, m_lineNumbers); });
}

void EditorViewSettings::attach(SourceView &view)
{
    m_views.append(&view);
    apply(view);
}

void EditorViewSettings::choose(bool EditorViewOptions::*option, const QAction &item)
{
    // The item has already turned its check mark over when it runs this.
    m_options.*option = item.isChecked();
    m_views.removeAll(nullptr);
    for (SourceView *view : std::as_const(m_views))
        apply(*view);
    // Only a convenience, like the window's placement: a data folder that cannot take it is
    // already reported for the recent-file list, and the switch still works for this run.
    try {
        m_options.write(m_filePath);
    } catch (const std::exception &) {
    }
}

void EditorViewSettings::apply(SourceView &view) const
{
    view.setHighlightingOn(m_options.highlighting);
    view.setLineNumbersShown(m_options.lineNumbers);
}
