#pragma once

#include <QStatusBar>

class QLabel;

// The main window's status bar (StatusBar1) with two panels: panel 0, the caret position and the
// loading progress, takes whatever panel 1, the fixed-width credit line, leaves.
class StatusBar final : public QStatusBar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusBar)

public:
    static constexpr int kCreditPanelWidth = 232;
    static constexpr int kDesignCaretPanelWidth = 400;
    static constexpr int kHeight = 19;

    explicit StatusBar(QWidget *parent = nullptr);

    int panelWidth(int panel) const;
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placePanels(int barWidth);

    QLabel *m_caretPanel;
    QLabel *m_creditPanel;
};
