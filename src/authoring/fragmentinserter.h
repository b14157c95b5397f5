#pragma once

#include "authoring/editoradapter.h"

#include <QString>

class PageContext;

// The insertion model every authoring command shares: the command builds its text and hands it
// to insert(), which puts it in place of the selection. Refers to the page in front; owns nothing.
class FragmentInserter
{
public:
    explicit FragmentInserter(PageContext &page) : m_page(page) {}

    // The editor in front, each time: the page may have changed since the last command.
    EditorAdapter editor() const;

    // The selected text with CR LF line ends; empty when nothing is selected.
    QString selectionText() const { return editor().selectedText(); }

    // Replaces the selection by text (caret after it, nothing selected, one undo step). An empty
    // text leaves the pane exactly as it was, selection included.
    void insert(const QString &text);

private:
    PageContext &m_page;
};
