#include "common/anchorlayout.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {

struct PlaceCase
{
    const char *name;
    friend void PrintTo(const PlaceCase &c, std::ostream *os) { *os << c.name; }
    AnchorLayout::Anchors anchors;
    QRect expected;
};

class AnchorPlacement : public ::testing::TestWithParam<PlaceCase>
{};

// Designed at 634 x 422, the container grows by 100 x 50.
TEST_P(AnchorPlacement, EdgesFollowTheirAnchors)
{
    const QRect design(101, 21, 532, 401);
    EXPECT_EQ(AnchorLayout::place(design, GetParam().anchors, {634, 422}, {734, 472}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    AnchorPlacement,
    ::testing::Values(PlaceCase{"TopLeftStays", AnchorLayout::TopLeft, QRect(101, 21, 532, 401)},
                      PlaceCase{"LeftRightStretches", AnchorLayout::TopLeftRight, QRect(101, 21, 632, 401)},
                      PlaceCase{"AllStretches", AnchorLayout::All, QRect(101, 21, 632, 451)},
                      PlaceCase{"RightOnlyMoves",
                                AnchorLayout::Anchors(AnchorLayout::Right | AnchorLayout::Top),
                                QRect(201, 21, 532, 401)},
                      PlaceCase{"BottomOnlyMoves",
                                AnchorLayout::Anchors(AnchorLayout::Left | AnchorLayout::Bottom),
                                QRect(101, 71, 532, 401)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AnchorLayout, ShrinkingNeverGivesANegativeSize)
{
    const QRect placed = AnchorLayout::place({0, 0, 50, 50}, AnchorLayout::All, {634, 422}, {100, 100});
    EXPECT_EQ(placed.size(), QSize(0, 0));
}

TEST(AnchorLayout, PlacesChildWidgetsWhenTheContainerResizes)
{
    QWidget container;
    auto *layout = new AnchorLayout(&container, {200, 100});
    auto *stretching = new QWidget;
    auto *fixed = new QWidget;
    layout->addWidget(stretching, {10, 5, 180, 20}, AnchorLayout::TopLeftRight);
    layout->addWidget(fixed, {10, 30, 40, 20});
    container.resize(300, 150);
    layout->activate();
    layout->setGeometry(container.rect());
    EXPECT_EQ(stretching->geometry(), QRect(10, 5, 280, 20));
    EXPECT_EQ(fixed->geometry(), QRect(10, 30, 40, 20));
}

} // namespace
