// Mouse input through the dispatcher: presses, double clicks, the wheel,
// capture, crossing and tooltips.
#include "core_fixture.h"

#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "kova/gui/input.h"
#include "kova/gui/menu.h"
#include "kova/gui/tooltipanchor.h"

using namespace core_test;
using kova::gui::context::SInput;

TEST_F(CoreTest, TwoLeftClicks359MillisecondsApartAreADoubleClick)
{
    Recorder c(nullptr, nullptr, 1, "clicks", 0, 0, 0, 40, 40, 0, false);
    EXPECT_EQ(Send(Button(c, ButtonPress, Button1, 1000)), 0);
    Send(Button(c, ButtonRelease, Button1, 1050));
    Send(Button(c, ButtonPress, Button1, 1359));
    ASSERT_GE(c.codes.size(), 3u);
    EXPECT_EQ(c.codes[0], SInput::LeftDown);
    EXPECT_EQ(c.codes[1], SInput::Released);
    EXPECT_EQ(c.codes[2], SInput::LeftDouble);
}

TEST_F(CoreTest, TwoLeftClicks360MillisecondsApartAreTwoSingleClicks)
{
    Recorder c(nullptr, nullptr, 1, "clicks", 0, 0, 0, 40, 40, 0, false);
    Send(Button(c, ButtonPress, Button1, 1000));
    Send(Button(c, ButtonRelease, Button1, 1050));
    Send(Button(c, ButtonPress, Button1, 1360));
    EXPECT_EQ(c.codes, (std::vector<int>{SInput::LeftDown, SInput::Released, SInput::LeftDown}));
}

TEST_F(CoreTest, ALeftThenARightPressIsNoDoubleClick)
{
    Recorder c(nullptr, nullptr, 1, "clicks", 0, 0, 0, 40, 40, 0, false);
    Send(Button(c, ButtonPress, Button1, 5000));
    Send(Button(c, ButtonPress, Button3, 5100));
    EXPECT_EQ(c.codes, (std::vector<int>{SInput::LeftDown, SInput::RightDown}));
    EXPECT_TRUE(c.MouseState()[SInput::RightDown]);
    EXPECT_FALSE(c.MouseState()[SInput::LeftDouble]);
}

TEST_F(CoreTest, AClockThatWrappedAroundCountsAsALongPause)
{
    Recorder c(nullptr, nullptr, 1, "clicks", 0, 0, 0, 40, 40, 0, false);
    Send(Button(c, ButtonPress, Button1, 0xFFFFFF00u));
    Send(Button(c, ButtonRelease, Button1, 0xFFFFFF10u));
    Send(Button(c, ButtonPress, Button1, 0x100));  // earlier than the last press
    EXPECT_EQ(c.codes.back(), SInput::LeftDown);
}

TEST_F(CoreTest, TheWheelIsReportedToTheControlWithItsDirection)
{
    Recorder c(nullptr, nullptr, 1, "wheel", 0, 0, 0, 40, 40, 0, false);
    EXPECT_EQ(Send(Button(c, ButtonPress, Button4, 100, 7, 8)), 1);
    ASSERT_EQ(c.codes, std::vector<int>{SInput::Wheel});
    EXPECT_TRUE(c.MouseState()[SInput::WheelUp]);
    EXPECT_FALSE(c.MouseState()[SInput::WheelDown]);
    EXPECT_EQ(c.GetInput()->lastX, 7);
    Send(Button(c, ButtonPress, Button5, 200));
    EXPECT_TRUE(c.MouseState()[SInput::WheelDown]);
}

TEST_F(CoreTest, AChildMarkedForItPassesTheWheelToItsOwner)
{
    Recorder owner(nullptr, nullptr, 1, "owner", 0, 0, 0, 100, 100, 0, false);
    auto* child = new Recorder(nullptr, &owner, 2, "child", SControl::WheelToOwnerA | SControl::WheelToOwnerB, 10,
                               10, 20, 20, 0, false);
    owner.Add(child);
    Send(Button(*child, ButtonPress, Button5, 100));
    EXPECT_TRUE(child->codes.empty());
    EXPECT_EQ(owner.codes, std::vector<int>{SInput::Wheel});
    EXPECT_TRUE(owner.MouseState()[SInput::WheelDown]);

    // With only one of the two flags the child keeps the wheel.
    auto* half = new Recorder(nullptr, &owner, 3, "half", SControl::WheelToOwnerA, 40, 10, 20, 20, 0, false);
    owner.Add(half);
    Send(Button(*half, ButtonPress, Button4, 200));
    EXPECT_EQ(half->codes, std::vector<int>{SInput::Wheel});
}

TEST_F(CoreTest, ADisabledControlIgnoresTheMouse)
{
    Recorder c(nullptr, nullptr, 1, "off", 0, 0, 0, 40, 40, 0, false);
    c.Enable(false);
    EXPECT_EQ(Send(Button(c, ButtonPress, Button1, 100)), 1);
    EXPECT_EQ(Send(Button(c, ButtonRelease, Button1, 150)), 1);
    EXPECT_TRUE(c.codes.empty());
}

TEST_F(CoreTest, APressCapturesThePointerUntilTheRelease)
{
    Recorder c(nullptr, nullptr, 1, "capture", SControl::AutoCapture, 10, 10, 40, 40, 0, false);
    c.Show();
    Pump();
    Send(Button(c, ButtonPress, Button1, 100));
    EXPECT_EQ(SControl::capture, &c);
    EXPECT_TRUE(c.MouseState()[SInput::Captured]);
    EXPECT_EQ(c.codes, (std::vector<int>{SInput::LeftDown, SInput::Captured}));

    // While captured, another control's crossing changes nothing on it.
    Recorder other(nullptr, nullptr, 2, "other", 0, 100, 100, 40, 40, 0, false);
    EXPECT_EQ(Send(Crossing(other, EnterNotify)), 1);
    EXPECT_TRUE(other.codes.empty());
    // Presses elsewhere go to the control that holds the capture.
    Send(Button(other, ButtonPress, Button3, 5000));
    EXPECT_TRUE(other.codes.empty());
    EXPECT_EQ(c.codes.back(), SInput::RightDown);

    Send(Button(c, ButtonRelease, Button1, 5100));
    EXPECT_EQ(SControl::capture, nullptr);
    EXPECT_FALSE(c.MouseState()[SInput::Captured]);
    EXPECT_EQ(c.codes.back(), SInput::Captured);
}

TEST_F(CoreTest, AGrabOnAnUnmappedWindowFailsWithAMessageAndLeavesNoCapture)
{
    Recorder c(nullptr, nullptr, 1, "hidden", SControl::AutoCapture, 10, 10, 40, 40, 0, false);
    testing::internal::CaptureStderr();
    c.MouseSetCapture();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Error: Mouse Capture failed(win not viewable).\n");
    EXPECT_EQ(SControl::capture, nullptr);
    EXPECT_FALSE(c.MouseState()[SInput::Captured]);
}

TEST_F(CoreTest, EnterAndLeaveAreReportedOnceEach)
{
    Recorder c(nullptr, nullptr, 1, "hover", SControl::OutlineOnHover, 0, 0, 40, 40, 0, false);
    c.Show();
    Pump();
    Send(Crossing(c, EnterNotify));
    Send(Crossing(c, EnterNotify));
    EXPECT_EQ(c.codes, std::vector<int>{SInput::Entered});
    EXPECT_TRUE(c.MouseState()[SInput::Inside]);
    Send(Crossing(c, LeaveNotify));
    EXPECT_EQ(c.codes.back(), SInput::Left);
    EXPECT_FALSE(c.MouseState()[SInput::Inside]);
    // Hovering asks for the outline to be drawn: two requests arrive.
    Pump();
    EXPECT_GE(c.outlines, 2);
}

TEST_F(CoreTest, MotionInsideReportsTheStartOfAMovementOnce)
{
    Recorder c(nullptr, nullptr, 1, "motion", 0, 0, 0, 40, 40, 0, false);
    Send(Crossing(c, EnterNotify));
    XEvent m{};
    m.xmotion.type = MotionNotify;
    m.xmotion.display = d;
    m.xmotion.window = c.GetWindow();
    m.xmotion.x = 10;
    m.xmotion.y = 12;
    EXPECT_EQ(Send(m), 0);
    m.xmotion.x = 11;
    Send(m);
    EXPECT_EQ(c.codes, (std::vector<int>{SInput::Entered, SInput::Moving}));
    EXPECT_EQ(c.GetInput()->lastX, 11);
    EXPECT_EQ(c.GetInput()->dx, 1);
}

namespace {

// Tooltip data as the dispatcher sees it.
class FakeTip : public kova::gui::SIToolTipAnchor {
public:
    Rect ContentRect() const override { return Rect(0, 0, 100, 20); }
    int Placement() const override { return side; }
    Point GetOffset() const override { return flipped ? Point(0, 0) : Point(0, 0); }
    void SetFlipped(bool f) override { flipped = f; }
    bool Flipped() const override { return flipped; }
    void Open(const Point& p) override
    {
        opened = true;
        at = p;
    }
    void Close() override { closed = true; }
    int side = PlaceAbove;
    bool flipped = false;
    bool opened = false;
    bool closed = false;
    Point at;
};

}  // namespace

TEST_F(CoreTest, ATooltipAboveAControlAtTheTopOfTheScreenOpensBelowIt)
{
    Recorder c(nullptr, nullptr, 1, "top", 0, 100, 0, 40, 30, 0, false);
    auto* tip = new FakeTip();
    c.SetToolTipAnchor(tip);
    c.EnableTooltip(true);
    Send(Crossing(c, EnterNotify));
    ASSERT_TRUE(tip->opened);
    EXPECT_TRUE(tip->flipped);
    EXPECT_EQ(tip->at, Point(100 + ((40 - 148) >> 1), 33));
    Send(Crossing(c, LeaveNotify));
    EXPECT_TRUE(tip->closed);
}

TEST_F(CoreTest, TooltipsSwitchedOffStayClosed)
{
    Recorder c(nullptr, nullptr, 1, "quiet", 0, 100, 300, 40, 30, 0, false);
    auto* tip = new FakeTip();
    c.SetToolTipAnchor(tip);
    Send(Crossing(c, EnterNotify));
    EXPECT_FALSE(tip->opened);
}

TEST_F(CoreTest, ARealClickOnAShownControlArrivesAsPressAndRelease)
{
    Recorder c(nullptr, nullptr, 1, "real", 0, 200, 200, 50, 50, 0, false);
    c.Show();
    Pump();
    c.codes.clear();
    ASSERT_EQ(std::system("xdotool mousemove 225 225 click 1"), 0) << "xdotool is needed for this test";
    for (int i = 0; i < 200; ++i) {
        Pump();
        bool pressed = false, released = false;
        for (int code : c.codes) {
            pressed |= code == SInput::LeftDown;
            released |= code == SInput::Released;
        }
        if (pressed && released)
            break;
        usleep(5000);
    }
    EXPECT_NE(std::find(c.codes.begin(), c.codes.end(), SInput::LeftDown), c.codes.end());
    EXPECT_NE(std::find(c.codes.begin(), c.codes.end(), SInput::Released), c.codes.end());
    EXPECT_EQ(c.GetInput()->lastX, 25);
    EXPECT_EQ(c.GetInput()->lastY, 25);
    std::system("xdotool mousemove 1000 1000");
}

TEST_F(CoreTest, LosingTheFocusClosesTheMenuOfAWindowThatAsksForIt)
{
    Recorder w(nullptr, nullptr, 1, "menu owner", SControl::MenuOnFocus, 0, 0, 100, 100, 0, false);
    auto* menu = new kova::gui::SMenu(nullptr, &w, 9, "menu", 0, 0, 0, 30, 30, 0, false);
    w.SetMenu(menu);
    EXPECT_EQ(menu->GetControl(), &w);
    w.Show();
    w.ShowMenu(Point(10, 10));
    EXPECT_TRUE(w.MenuOpen());
    XEvent ev{};
    ev.xfocus.type = FocusOut;
    ev.xfocus.display = d;
    ev.xfocus.window = w.GetWindow();
    EXPECT_EQ(Send(ev), 0);
    EXPECT_FALSE(w.MenuOpen());
    EXPECT_FALSE(menu->IsMapped());
}

TEST_F(CoreTest, AnEarlierFailedRequestDoesNotHideTheControlOfAnEvent)
{
    Recorder c(nullptr, nullptr, 1, "victim", 0, 0, 0, 40, 40, 0, false);
    // A request that fails asynchronously: its error arrives during the
    // dispatcher's own lookup.
    Window gone = XCreateSimpleWindow(d, root, 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(d, gone);
    // Should the error be read before the lookup, it must not end the test.
    XErrorHandler before = XSetErrorHandler(&SControl::errorHandler);
    testing::internal::CaptureStderr();
    XMapWindow(d, gone);
    XFlush(d);
    usleep(20000);
    Send(Button(c, ButtonPress, Button1, 100));
    XSync(d, False);
    std::string err = testing::internal::GetCapturedStderr();
    XSetErrorHandler(before);
    EXPECT_EQ(c.codes, std::vector<int>{SInput::LeftDown});
    EXPECT_NE(err.find("BadWindow"), std::string::npos) << err;
}
