// Monitor geometry: the aspect-ratio division of one big screen, the
// bounds, and which monitor a point belongs to.
#include <gtest/gtest.h>

#include "kova/gui/connection.h"
#include "kova/gui/display.h"

using kova::gui::DivideScreen;
using kova::gui::SDisplay;
using Rect = kova::math::geom::Rectangle<int, 2>;
using Point = kova::math::geom::Point<int, 2>;

TEST(ToolkitMonitors, AWideDoubleScreenIsSplitIntoTwoMonitors)
{
    std::vector<Rect> out;
    EXPECT_TRUE(DivideScreen(2560, 1024, out));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], Rect(0, 0, 1280, 1024));
    EXPECT_EQ(out[1], Rect(1280, 0, 2560, 1024));
}

TEST(ToolkitMonitors, AVeryWideScreenBecomesThreeMonitorsOf1500)
{
    std::vector<Rect> out;
    EXPECT_TRUE(DivideScreen(3840, 1200, out));
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], Rect(0, 0, 1500, 1200));
    EXPECT_EQ(out[1], Rect(1500, 0, 3000, 1200));
    // The last piece reaches beyond the screen, as the rule says.
    EXPECT_EQ(out[2], Rect(3000, 0, 4500, 1200));
}

TEST(ToolkitMonitors, ATallPortraitScreenIsStackedInTwoOf819)
{
    std::vector<Rect> out;
    EXPECT_TRUE(DivideScreen(1024, 1280, out));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], Rect(0, 0, 1024, 819));
    EXPECT_EQ(out[1], Rect(0, 819, 1024, 1638));
}

TEST(ToolkitMonitors, AnOrdinaryWidescreenStaysOneMonitor)
{
    std::vector<Rect> out;
    EXPECT_FALSE(DivideScreen(1920, 1080, out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], Rect(0, 0, 1920, 1080));
}

TEST(ToolkitMonitors, TwoSideBySideMonitorsGiveTheirUnionAsBounds)
{
    SDisplay d;
    d.AddMonitor(Rect(0, 0, 1280, 1024));
    d.AddMonitor(Rect(1280, 0, 2560, 1024));
    EXPECT_EQ(d.Bounds(), Rect(0, 0, 2560, 1024));
    EXPECT_EQ(d.MonitorRect(Point(1280, 500)), Rect(0, 0, 1280, 1024));  // shared edge: the first
    EXPECT_EQ(d.MonitorRect(Point(1281, 500)), Rect(1280, 0, 2560, 1024));
    EXPECT_EQ(d.MonitorRect(Point(5000, 5000)), Rect(0, 0, 1280, 1024));  // outside: the first
}

TEST(ToolkitMonitors, BoundsAlwaysContainTheOriginEvenForMonitorsFarAway)
{
    SDisplay d;
    d.AddMonitor(Rect(100, 200, 900, 800));
    EXPECT_EQ(d.Bounds(), Rect(0, 0, 900, 800));
}

TEST(ToolkitMonitors, AWholeScreenThatIsDividedSetsTheDividedFlag)
{
    SDisplay d;
    d.UseWholeScreen(2560, 1024);
    EXPECT_TRUE(d.divided);
    EXPECT_EQ(d.count, 2);
    EXPECT_EQ(d.Bounds(), Rect(0, 0, 2560, 1024));
}

TEST(ToolkitMonitors, WithoutAnyDisplayTheListIsStillNeverEmpty)
{
    if (kova::gui::GetDisplay())
        GTEST_SKIP() << "a display is open in this process";
    SDisplay d;
    d.AllMonitorRects();
    ASSERT_EQ(d.count, 1);
    EXPECT_EQ(d.monitors.size(), 1u);
    EXPECT_EQ(d.MonitorRect(nullptr), d.monitors[0]);
}

TEST(ToolkitMonitors, TheNewestRecordIsTheCurrentOneUntilItGoes)
{
    SDisplay* before = SDisplay::Current();
    {
        SDisplay d;
        EXPECT_EQ(SDisplay::Current(), &d);
    }
    EXPECT_EQ(SDisplay::Current(), before);
}
