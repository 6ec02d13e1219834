// Keys, repaint requests and the other events of the dispatcher.
#include "core_fixture.h"

#include <X11/keysym.h>

#include "kova/gui/input.h"

using namespace core_test;
using kova::gui::context::SInput;

TEST_F(CoreTest, KeypadFiveWithNumLockIsTheCharacterFive)
{
    Recorder c(nullptr, nullptr, 1, "keys", 0, 0, 0, 40, 40, 0, false);
    EXPECT_EQ(Send(Key(c, KeyPress, XK_KP_5, Mod2Mask)), 1);
    ASSERT_EQ(c.keys.size(), 1u);
    EXPECT_EQ(c.keys[0].code, '5');
    EXPECT_EQ(c.keys[0].keyClass, 0);
    EXPECT_TRUE(c.keys[0].pressed);
}

TEST_F(CoreTest, FunctionKeysKeepTheirSymbolAsCode)
{
    Recorder c(nullptr, nullptr, 1, "keys", 0, 0, 0, 40, 40, 0, false);
    Send(Key(c, KeyPress, XK_F1));
    Send(Key(c, KeyRelease, XK_F1));
    ASSERT_EQ(c.keys.size(), 2u);
    EXPECT_EQ(c.keys[0].code, 0xFFBE);
    EXPECT_EQ(c.keys[0].keyClass, 5);
    EXPECT_FALSE(c.keys[1].pressed);
}

TEST_F(CoreTest, ShiftIsAModifierThatSetsItsFlagWhileHeld)
{
    Recorder c(nullptr, nullptr, 1, "keys", 0, 0, 0, 40, 40, 0, false);
    Send(Key(c, KeyPress, XK_Shift_L));
    ASSERT_EQ(c.keys.size(), 1u);
    EXPECT_EQ(c.keys[0].code, 17);
    EXPECT_EQ(c.keys[0].keyClass, 3);
    EXPECT_EQ(c.keys[0].modifiers, 1);
    EXPECT_TRUE(c.MouseState()[SInput::Shift]);
    Send(Key(c, KeyRelease, XK_Shift_L));
    EXPECT_EQ(c.keys[1].modifiers, 0);
    EXPECT_FALSE(c.MouseState()[SInput::Shift]);
}

TEST_F(CoreTest, ABoundKeySendsItsSymbolAndModifiersOnChannelEleven)
{
    Recorder c(nullptr, nullptr, 1, "keys", 0, 0, 0, 40, 40, 0, false);
    c.AddEventListener(&c, 11);
    c.AddKeyBinding(XK_Escape, 0);
    Send(Key(c, KeyPress, XK_Control_L));
    Send(Key(c, KeyPress, XK_Escape));
    ASSERT_EQ(c.eventTypes, std::vector<int>{11});
    EXPECT_EQ(c.eventData, (std::vector<int>{0, (int)XK_Escape, 2}));
    EXPECT_EQ(c.keys.back().code, 1);
    Send(Key(c, KeyRelease, XK_Escape));
    EXPECT_EQ(c.eventTypes.size(), 1u);
}

TEST_F(CoreTest, ABurstOfFiveExposeEventsDrawsOnce)
{
    if (!kova::gui::ToolkitReadsQueue(d))
        GTEST_SKIP() << "a host reads this connection: its events stay queued";
    Recorder c(nullptr, nullptr, 1, "expose", 0, 0, 0, 60, 40, 0, false);
    c.Show();
    Pump();
    c.draws = 0;
    for (int i = 0; i < 5; ++i)
        c.Refresh();
    XSync(d, False);
    XEvent first;
    ASSERT_TRUE(XCheckTypedWindowEvent(d, c.GetWindow(), Expose, &first));
    EXPECT_EQ(SControl::eventProc(&first), 0);
    EXPECT_EQ(c.draws, 1);
    EXPECT_EQ(Take(c.GetWindow(), Expose), 0);
}

TEST_F(CoreTest, AHiddenControlNeitherAsksForNorDoesDrawing)
{
    Recorder c(nullptr, nullptr, 1, "hidden", 0, 0, 0, 60, 40, 0, false);
    Pump();
    c.Refresh();
    c.RefreshArea(3);
    EXPECT_EQ(Take(c.GetWindow(), Expose), 0);
    EXPECT_EQ(Take(c.GetWindow(), ClientMessage), 0);
    XEvent ev{};
    ev.xexpose.type = Expose;
    ev.xexpose.display = d;
    ev.xexpose.window = c.GetWindow();
    Send(ev);
    EXPECT_EQ(c.draws, 0);
}

TEST_F(CoreTest, ShowingTwiceMapsOnceAndAsksForOneRepaint)
{
    Recorder c(nullptr, nullptr, 1, "show", 0, 0, 0, 60, 40, 0, false);
    Pump();
    c.Show();
    c.Show();
    XSync(d, False);
    int sent = 0, maps = 0;
    XEvent ev;
    while (XCheckWindowEvent(d, c.GetWindow(), ExposureMask | StructureNotifyMask, &ev)) {
        if (ev.type == Expose && ev.xexpose.send_event)
            ++sent;
        if (ev.type == MapNotify)
            ++maps;
    }
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(maps, 1);
    EXPECT_TRUE(c.IsMapped());
}

TEST_F(CoreTest, PaintMessagesReachTheirDrawingHooks)
{
    Recorder c(nullptr, nullptr, 1, "paint", 0, 0, 0, 60, 40, 0, false);
    c.Show();
    Pump();
    c.outlines = 0;
    c.RefreshArea(7);
    c.RefreshOutlines();
    XSync(d, False);
    XEvent ev;
    ASSERT_TRUE(XCheckTypedWindowEvent(d, c.GetWindow(), ClientMessage, &ev));
    EXPECT_EQ(SControl::eventProc(&ev), 1);
    ASSERT_TRUE(XCheckTypedWindowEvent(d, c.GetWindow(), ClientMessage, &ev));
    EXPECT_EQ(SControl::eventProc(&ev), 1);
    EXPECT_EQ(c.areas, std::vector<unsigned>{7});
    EXPECT_EQ(c.outlines, 1);
    EXPECT_EQ(c.lastOutline, Rect(0, 0, 60, 40));
}

TEST_F(CoreTest, ARegionRequestDeliversTheWholeAddress)
{
    Recorder c(nullptr, nullptr, 1, "region", 0, 0, 0, 60, 40, 0, false);
    c.Show();
    Pump();
    // An address with bits above 31 (and above 32 where pointers are wider).
    uintptr_t fake = sizeof(void*) > 4 ? (uintptr_t)0x7F12A4B6C8D0ull : (uintptr_t)0xF7A0C8D0u;
    auto* region = reinterpret_cast<kova::gui::context::SDrawRegion*>(fake);
    c.RefreshRegion(region);
    XSync(d, False);
    XEvent ev;
    ASSERT_TRUE(XCheckTypedWindowEvent(d, c.GetWindow(), ClientMessage, &ev));
    EXPECT_EQ(SControl::eventProc(&ev), 1);
    ASSERT_EQ(c.regions.size(), 1u);
    EXPECT_EQ(c.regions[0], region);
}

TEST_F(CoreTest, AClientMessageOfAnotherKindIsNotConsumed)
{
    Recorder c(nullptr, nullptr, 1, "other", 0, 0, 0, 60, 40, 0, false);
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.display = d;
    ev.xclient.window = c.GetWindow();
    ev.xclient.message_type = XInternAtom(d, "TESSARO_SOMETHING_ELSE", False);
    ev.xclient.format = 32;
    EXPECT_EQ(Send(ev), 0);
    ev.xclient.message_type = XInternAtom(d, "WM_MENU_LEFT", False);
    EXPECT_EQ(Send(ev), 1);
}

TEST_F(CoreTest, TheCloseRequestStopsATopLevelWindowAndClosesADialog)
{
    Recorder top(nullptr, nullptr, 1, "top", SControl::TopLevel, 0, 0, 60, 40, 0, false);
    Recorder dialog(nullptr, nullptr, 2, "dialog", SControl::Dialog, 0, 0, 60, 40, 0, false);
    Recorder rootDialog(nullptr, nullptr, 3, "dialog", SControl::Dialog | SControl::DialogUnderRoot, 0, 0, 60, 40,
                        0, false);
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.display = d;
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.window = top.GetWindow();
    EXPECT_EQ(Send(ev), 1);
    EXPECT_EQ(top.stops, 1);
    ev.xclient.window = dialog.GetWindow();
    EXPECT_EQ(Send(ev), 1);
    EXPECT_EQ(dialog.closes, 1);
    ev.xclient.window = rootDialog.GetWindow();
    EXPECT_EQ(Send(ev), 0);
    EXPECT_EQ(rootDialog.closes, 0);
}

TEST_F(CoreTest, AConfigureBurstKeepsTheNewestGeometry)
{
    if (!kova::gui::ToolkitReadsQueue(d))
        GTEST_SKIP() << "a host reads this connection: its events stay queued";
    Recorder c(nullptr, nullptr, 1, "moving", 0, 0, 0, 60, 40, 0, false);
    Pump();
    c.SetPosition(10, 20);
    c.SetSize(70, 50);
    XMoveResizeWindow(d, c.GetWindow(), 30, 35, 80, 45);
    XSync(d, False);
    XEvent ev;
    ASSERT_TRUE(XCheckTypedWindowEvent(d, c.GetWindow(), ConfigureNotify, &ev));
    EXPECT_EQ(SControl::eventProc(&ev), 0);
    EXPECT_EQ(c.GetWindowRect(), Rect(30, 35, 110, 80));
    EXPECT_EQ(c.GetClientRect(), Rect(0, 0, 80, 45));
    EXPECT_EQ(Take(c.GetWindow(), ConfigureNotify), 0);
}

TEST_F(CoreTest, APointerMappingChangeIsLeftToOthers)
{
    Recorder c(nullptr, nullptr, 1, "map", 0, 0, 0, 60, 40, 0, false);
    XEvent ev{};
    ev.xmapping.type = MappingNotify;
    ev.xmapping.display = d;
    ev.xmapping.window = c.GetWindow();
    ev.xmapping.request = MappingPointer;
    EXPECT_EQ(Send(ev), 0);
    ev.xmapping.request = MappingKeyboard;
    ev.xmapping.first_keycode = 8;
    ev.xmapping.count = 1;
    EXPECT_EQ(Send(ev), 1);
}

TEST_F(CoreTest, MapAndUnmapNotificationsFollowTheMappedBit)
{
    Recorder c(nullptr, nullptr, 1, "map", 0, 0, 0, 60, 40, 0, false);
    XEvent ev{};
    ev.xmap.type = MapNotify;
    ev.xmap.display = d;
    ev.xmap.event = c.GetWindow();
    ev.xmap.window = c.GetWindow();
    Send(ev);
    EXPECT_TRUE(c.IsMapped());
    ev.xunmap.type = UnmapNotify;
    Send(ev);
    EXPECT_FALSE(c.IsMapped());
}
