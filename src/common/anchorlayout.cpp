#include "common/anchorlayout.h"

#include <QWidget>
#include <QWidgetItem>

AnchorLayout::AnchorLayout(QWidget *parent, QSize designSize) : QLayout(parent), m_designSize(designSize)
{
    setContentsMargins(0, 0, 0, 0);
}

AnchorLayout::~AnchorLayout()
{
    for (const Entry &entry : std::as_const(m_entries))
        delete entry.item;
}

void AnchorLayout::addWidget(QWidget *widget, QRect designGeometry, Anchors anchors)
{
    addChildWidget(widget);
    m_entries.append({new QWidgetItem(widget), designGeometry, anchors});
    invalidate();
}

QRect AnchorLayout::place(QRect design, Anchors anchors, QSize designSize, QSize actual)
{
    const int dw = actual.width() - designSize.width();
    const int dh = actual.height() - designSize.height();
    QRect r = design;
    if (anchors.testFlag(Right)) {
        if (anchors.testFlag(Left))
            r.setWidth(qMax(0, design.width() + dw));
        else
            r.moveLeft(design.left() + dw);
    }
    if (anchors.testFlag(Bottom)) {
        if (anchors.testFlag(Top))
            r.setHeight(qMax(0, design.height() + dh));
        else
            r.moveTop(design.top() + dh);
    }
    return r;
}

void AnchorLayout::addItem(QLayoutItem *item)
{
    m_entries.append({item, item->geometry(), TopLeft});
}

QLayoutItem *AnchorLayout::itemAt(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).item : nullptr;
}

QLayoutItem *AnchorLayout::takeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return nullptr;
    return m_entries.takeAt(index).item;
}

int AnchorLayout::count() const
{
    return int(m_entries.size());
}

QSize AnchorLayout::sizeHint() const
{
    return m_designSize;
}

QSize AnchorLayout::minimumSize() const
{
    return {0, 0};
}

void AnchorLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    // Widgets get exactly their designed rectangle: a layout item would shrink controls whose
    // size policy does not grow (tool buttons) to their size hint.
    for (const Entry &entry : std::as_const(m_entries)) {
        const QRect r = place(entry.design, entry.anchors, m_designSize, rect.size()).translated(rect.topLeft());
        if (QWidget *w = entry.item->widget())
            w->setGeometry(r);
        else
            entry.item->setGeometry(r);
    }
}
