#pragma once

#include <QStatusBar>

class QLabel;

// The main window's status bar (StatusBar1) with three panels: panel 0, the caret position and the
// loading progress, takes whatever panel 1, the fixed-width credit line, and panel 2, the
// encoding the document is written in, leave.
class StatusBar final : public QStatusBar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusBar)

public:
    static constexpr int kCreditPanelWidth = 232;
    static constexpr int kEncodingPanelWidth = 88;
    static constexpr int kEncodingPanel = 2;
    static constexpr int kDesignCaretPanelWidth = 400;
    static constexpr int kHeight = 19;

    explicit StatusBar(QWidget *parent = nullptr);

    int panelWidth(int index) const;
    QString panelText(int index) const;
    void setPanelText(int index, const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *panel(int index) const;
    void placePanels(int barWidth);

    QLabel *m_caretPanel;
    QLabel *m_creditPanel;
    QLabel *m_encodingPanel;
};
