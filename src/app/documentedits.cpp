#include "app/documentedits.h"

#include "workspace/panetext.h"

#include <QTextCursor>
#include <QTextDocument>

namespace DocumentEdits {

namespace {

// Positions of the CR LF text, asked for in increasing order, as the pane's: one walk through the
// text serves every replacement of a すべて置換, however many there are. A position between CR
// and LF lands after the pair, as PaneText puts it.
class PanePositions
{
public:
    explicit PanePositions(const QString &crlfText) : m_text(crlfText) {}

    int at(int position)
    {
        while (m_document < position && m_document < m_text.size()) {
            const bool pair = m_text.at(m_document) == QLatin1Char('\r') && m_document + 1 < m_text.size()
                && m_text.at(m_document + 1) == QLatin1Char('\n');
            m_document += pair ? 2 : 1;
            ++m_pane;
        }
        return m_pane;
    }

private:
    const QString &m_text;
    qsizetype m_document = 0;
    int m_pane = 0;
};

struct PaneEdit
{
    int start;
    int end;
    QString text;
};

} // namespace

void applyInOneStep(QTextDocument &document, const QString &crlfText, const QList<ReplaceRules::Edit> &edits)
{
    PanePositions pane(crlfText);
    QList<PaneEdit> paneEdits;
    paneEdits.reserve(edits.size());
    for (const ReplaceRules::Edit &edit : edits) {
        const int start = pane.at(edit.range.start);
        paneEdits.append({start, pane.at(edit.range.end()), PaneText::fromDocument(edit.text)});
    }
    // One edit block: one Undo takes every replacement back. Made from the last, each leaves the
    // positions before it as they were, and the characters around each keep their formats.
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (auto edit = paneEdits.crbegin(); edit != paneEdits.crend(); ++edit) {
        cursor.setPosition(edit->start);
        cursor.setPosition(edit->end, QTextCursor::KeepAnchor);
        cursor.insertText(edit->text);
    }
    cursor.endEditBlock();
}

} // namespace DocumentEdits
