// Where a tooltip opens next to its control, and when it flips to the other
// side because the monitors end.
#include <gtest/gtest.h>

#include "kova/gui/tooltipanchor.h"

using kova::gui::PlaceToolTip;
using kova::gui::SIToolTipAnchor;
using P = kova::math::geom::Point<int, 2>;
using R = kova::math::geom::Rectangle<int, 2>;

namespace {

// A control whose window origin is at (ox, oy) on a 1280 x 1024 screen.
struct Spot {
    int ox, oy;
    P offset{0, 0}, flippedOffset{0, 0};
    kova::gui::ToolTipPlacement Place(int side, int W, int H, int w, int h)
    {
        return PlaceToolTip(
            side, W, H, w, h, R(0, 0, 1280, 1024), [this](P p) { return P(p.x + ox, p.y + oy); },
            [this](bool flipped) { return flipped ? flippedOffset : offset; });
    }
};

}  // namespace

TEST(ToolkitTooltipPlacement, ATipAboveAControlAtTheTopOfTheScreenFlipsBelow)
{
    Spot s{100, 0};
    auto r = s.Place(SIToolTipAnchor::PlaceAbove, 100, 20, 40, 30);
    EXPECT_TRUE(r.flipped);
    // TW = 148: x = 100 + (40 - 148) / 2 = 46; below: y = 30 + 3.
    EXPECT_EQ(r.point, P(46, 33));
}

TEST(ToolkitTooltipPlacement, ATipAboveWithRoomStaysAbove)
{
    Spot s{100, 500};
    auto r = s.Place(SIToolTipAnchor::PlaceAbove, 100, 20, 40, 30);
    EXPECT_FALSE(r.flipped);
    EXPECT_EQ(r.point, P(46, 500 - 36 - 3));
}

TEST(ToolkitTooltipPlacement, ATipToTheRightFlipsLeftAtTheRightEdge)
{
    Spot s{1200, 400};
    auto r = s.Place(SIToolTipAnchor::PlaceRight, 100, 20, 40, 30);
    EXPECT_TRUE(r.flipped);
    EXPECT_EQ(r.point, P(1200 - 148 - 3, 400 + ((30 - 36) >> 1)));
    Spot roomy{100, 400};
    auto k = roomy.Place(SIToolTipAnchor::PlaceRight, 100, 20, 40, 30);
    EXPECT_FALSE(k.flipped);
    EXPECT_EQ(k.point, P(143, 397));
}

TEST(ToolkitTooltipPlacement, ATipBelowFlipsAboveAtTheBottomEdge)
{
    Spot s{600, 1000};
    auto r = s.Place(SIToolTipAnchor::PlaceBelow, 100, 20, 40, 30);
    EXPECT_TRUE(r.flipped);
    EXPECT_EQ(r.point, P(546, 1000 - 39));
}

TEST(ToolkitTooltipPlacement, ATipToTheLeftFlipsRightAtTheLeftEdge)
{
    Spot s{10, 400};
    auto r = s.Place(SIToolTipAnchor::PlaceLeft, 100, 20, 40, 30);
    EXPECT_TRUE(r.flipped);
    EXPECT_EQ(r.point, P(10 + 43, 397));
}

TEST(ToolkitTooltipPlacement, TheOffsetOfTheSideInUseIsAdded)
{
    Spot s{100, 0};
    s.offset = P(1, 1);
    s.flippedOffset = P(5, 7);
    auto r = s.Place(SIToolTipAnchor::PlaceAbove, 100, 20, 40, 30);
    EXPECT_EQ(r.point, P(51, 40));
    Spot t{100, 500};
    t.offset = P(1, 1);
    auto k = t.Place(SIToolTipAnchor::PlaceAbove, 100, 20, 40, 30);
    EXPECT_EQ(k.point, P(47, 462));
}

TEST(ToolkitTooltipPlacement, AnUnknownSideLeavesThePointAtTheOrigin)
{
    Spot s{100, 100};
    auto r = s.Place(7, 100, 20, 40, 30);
    EXPECT_EQ(r.point, P(0, 0));
    EXPECT_FALSE(r.flipped);
}
