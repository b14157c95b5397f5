#pragma once

#include <QLayout>
#include <QList>
#include <QRect>

// Lays out controls at fixed design positions and lets chosen edges follow the container's
// edges when it is resized, so windows keep the pixel layout they were designed with while
// address boxes and panes still stretch.
class AnchorLayout final : public QLayout
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AnchorLayout)

public:
    enum Anchor {
        Left = 0x1,
        Top = 0x2,
        Right = 0x4,
        Bottom = 0x8,
        TopLeft = Left | Top,
        TopLeftRight = Left | Top | Right,
        All = Left | Top | Right | Bottom,
    };
    Q_DECLARE_FLAGS(Anchors, Anchor)

    // designSize: the container's client size that the design positions refer to.
    AnchorLayout(QWidget *parent, QSize designSize);
    ~AnchorLayout() override;

    void addWidget(QWidget *widget, QRect designGeometry, Anchors anchors = TopLeft);

    // Where an item designed at designGeometry goes when the container has size actual.
    static QRect place(QRect designGeometry, Anchors anchors, QSize designSize, QSize actual);

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    struct Entry
    {
        QLayoutItem *item;
        QRect design;
        Anchors anchors;
    };
    QList<Entry> m_entries;
    QSize m_designSize;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(AnchorLayout::Anchors)
