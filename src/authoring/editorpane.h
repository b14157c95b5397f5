#pragma once

#include <QTextEdit>

// The rich-text editing pane, for RTF documents. Beyond QTextEdit it keeps what is pasted or
// dropped to formatted text, never images or embedded objects.
class EditorPane final : public QTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorPane)

public:
    explicit EditorPane(QWidget *parent = nullptr);

    // Shows the text, laid out as rich text; null shows a blank text of the pane's own. The
    // text must outlive the pane or be let go of first.
    void showText(QTextDocument *text);

signals:
    // After the pane has handled the event, so the caret is already where it moved to.
    void mouseButtonPressed();

protected:
    // A word the input method is still composing is shown, not yet an edit of the page.
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QTextDocument *m_ownText = nullptr;
};
