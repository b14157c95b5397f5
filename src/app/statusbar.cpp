#include "app/statusbar.h"

#include "common/uifont.h"

#include <QLabel>
#include <QResizeEvent>

namespace {

// A panel has no fixed accessible name: a screen reader reads its text, and its description
// says what the text is.
QLabel *makePanel(QWidget *parent, const QString &description)
{
    auto *label = new QLabel(parent);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setContentsMargins(2, 0, 2, 0);
    label->setAccessibleDescription(description);
    return label;
}

} // namespace

StatusBar::StatusBar(QWidget *parent)
    : QStatusBar(parent), m_caretPanel(makePanel(this, QStringLiteral("カーソル位置"))),
      m_creditPanel(makePanel(this, QStringLiteral("クレジット"))),
      m_encodingPanel(makePanel(this, QStringLiteral("文書の文字コード")))
{
    setObjectName(QStringLiteral("StatusBar1"));
    setAccessibleName(QStringLiteral("ステータスバー"));
    setFont(UiFont::statusFont());
    setSizeGripEnabled(false);
    setFixedHeight(kHeight);
    m_creditPanel->setText(QStringLiteral("QZWeb  手づくりホームページの友"));
    m_encodingPanel->setObjectName(QStringLiteral("EncodingPanel"));
    m_encodingPanel->setAlignment(Qt::AlignCenter);
    // Until the bar is first laid out, the panels keep their designed widths.
    m_caretPanel->setGeometry(0, 0, kDesignCaretPanelWidth, kHeight);
    m_creditPanel->setGeometry(kDesignCaretPanelWidth, 0, kCreditPanelWidth, kHeight);
    m_encodingPanel->setGeometry(kDesignCaretPanelWidth + kCreditPanelWidth, 0, kEncodingPanelWidth, kHeight);
}

QLabel *StatusBar::panel(int index) const
{
    switch (index) {
    case 0:
        return m_caretPanel;
    case kEncodingPanel:
        return m_encodingPanel;
    default:
        return m_creditPanel;
    }
}

int StatusBar::panelWidth(int index) const
{
    return panel(index)->width();
}

QString StatusBar::panelText(int index) const
{
    return panel(index)->text();
}

void StatusBar::setPanelText(int index, const QString &text)
{
    panel(index)->setText(text);
}

void StatusBar::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    placePanels(event->size().width());
}

void StatusBar::placePanels(int barWidth)
{
    const int caretWidth = qMax(0, barWidth - kCreditPanelWidth - kEncodingPanelWidth);
    m_caretPanel->setGeometry(0, 0, caretWidth, height());
    m_creditPanel->setGeometry(caretWidth, 0, kCreditPanelWidth, height());
    m_encodingPanel->setGeometry(caretWidth + kCreditPanelWidth, 0, kEncodingPanelWidth, height());
}
