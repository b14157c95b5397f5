#include "app/statusbar.h"

#include "common/uifont.h"

#include <QLabel>
#include <QResizeEvent>

namespace {

QLabel *makePanel(QWidget *parent, const QString &accessibleName)
{
    auto *label = new QLabel(parent);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setContentsMargins(2, 0, 2, 0);
    label->setAccessibleName(accessibleName);
    return label;
}

} // namespace

StatusBar::StatusBar(QWidget *parent)
    : QStatusBar(parent),
      m_caretPanel(makePanel(this, QStringLiteral("カーソル位置"))),
      m_creditPanel(makePanel(this, QStringLiteral("クレジット")))
{
    setObjectName(QStringLiteral("StatusBar1"));
    setAccessibleName(QStringLiteral("ステータスバー"));
    setFont(UiFont::statusFont());
    setSizeGripEnabled(false);
    setFixedHeight(kHeight);
    m_creditPanel->setText(QStringLiteral("QZWeb  手づくりホームページの友"));
    // Until the bar is first laid out, the panels keep their designed widths.
    m_caretPanel->setGeometry(0, 0, kDesignCaretPanelWidth, kHeight);
    m_creditPanel->setGeometry(kDesignCaretPanelWidth, 0, kCreditPanelWidth, kHeight);
}

int StatusBar::panelWidth(int panel) const
{
    return panel == 0 ? m_caretPanel->width() : m_creditPanel->width();
}

QString StatusBar::panelText(int panel) const
{
    return panel == 0 ? m_caretPanel->text() : m_creditPanel->text();
}

void StatusBar::setPanelText(int panel, const QString &text)
{
    (panel == 0 ? m_caretPanel : m_creditPanel)->setText(text);
}

void StatusBar::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    placePanels(event->size().width());
}

void StatusBar::placePanels(int barWidth)
{
    const int caretWidth = qMax(0, barWidth - kCreditPanelWidth);
    m_caretPanel->setGeometry(0, 0, caretWidth, height());
    m_creditPanel->setGeometry(caretWidth, 0, kCreditPanelWidth, height());
}
