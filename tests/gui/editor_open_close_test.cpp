// The editor in the host's window: opening, closing and opening again with
// one panel, the idle delivery of the engine's changes, and hosts that pass
// no display and deliver no events.
#include "editor_fixture.h"

#include <atomic>
#include <thread>

using namespace widget_test;

namespace {

Window ParentOf(Display* d, Window w)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n))
        return 0;
    if (children)
        XFree(children);
    return parent;
}

}  // namespace

TEST_F(EditorTest, ThePanelArrivesInTheHostWindowByReparenting)
{
    Open();
    ASSERT_NE(Panel(), nullptr);
    Settle();
    EXPECT_EQ(ParentOf(d, Panel()->GetWindow()), hostWindow);
    EXPECT_TRUE(Panel()->IsMapped());
    EXPECT_EQ(Panel()->Width(), 260);
    EXPECT_EQ(Panel()->Height(), 162);
    EXPECT_EQ(host.sizeWindowCalls, 1);
    EXPECT_TRUE(Editor()->IsOpen());
}

TEST_F(EditorTest, ClosingParksThePanelAndReopeningReusesIt)
{
    Open();
    SPluginPanel* panel = Panel();
    kova::gui::SControl* holder = Editor()->Holder();
    ASSERT_NE(panel, nullptr);
    panel->killButton->SetValue(1, false);
    Close();
    Settle();
    EXPECT_FALSE(Editor()->IsOpen());
    EXPECT_EQ(ParentOf(d, panel->GetWindow()), holder->GetWindow());
    EXPECT_FALSE(holder->IsMapped());
    Open();
    EXPECT_EQ(Panel(), panel);
    EXPECT_EQ(Editor()->Holder(), holder);
    EXPECT_EQ(ParentOf(d, panel->GetWindow()), hostWindow);
}

TEST_F(EditorTest, TheFirstIdleCallsShowTheEngineState)
{
    effect->setParameter(effect, kParamPolyphony, 40.0f / 127.0f);
    effect->setParameter(effect, kParamKillCC, 8.0f / 128.0f);
    Open();
    EXPECT_TRUE(WaitUntil([&] { return Panel()->polyDial->GetValue() == 40; }));
    EXPECT_EQ(Panel()->killCCDial->GetValue(), 8);
    EXPECT_STREQ(Panel()->ProgramName(), "01 - empty preset");
}

TEST_F(EditorTest, AChangeMadeWhileClosedIsShownWhenTheEditorOpens)
{
    Open();
    ASSERT_TRUE(WaitUntil([&] { return Panel()->polyDial->GetValue() == 16; }));
    Close();
    effect->setParameter(effect, kParamPolyphony, 3.0f / 127.0f);
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_EQ(Panel()->polyDial->GetValue(), 16);
    Open();
    EXPECT_TRUE(WaitUntil([&] { return Panel()->polyDial->GetValue() == 3; }));
}

TEST_F(EditorTest, OnceClosedNoIdleCallReachesThePanel)
{
    Open();
    ASSERT_TRUE(WaitUntil([&] { return Panel()->polyDial->GetValue() == 16; }));
    Close();
    // Posted directly, as an engine that missed the close would.
    effect->setParameter(effect, kParamPolyphony, 100.0f / 127.0f);
    Editor()->postUpdateIndexed(kParamPolyphony);
    Editor()->postUpdate();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Panel()->polyDial->GetValue(), 16);
}

TEST_F(EditorTest, QuickCloseAndReopenWhileTheEngineChangesNeverCrashes)
{
    std::atomic<bool> stop{false};
    std::thread engine([&] {
        int i = 0;
        while (!stop) {
            effect->setParameter(effect, kParamPolyphony, (float)(i % 128) / 127.0f);
            effect->setParameter(effect, kParamKill, (float)(i & 1));
            ++i;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    for (int i = 0; i < 40; ++i) {
        Open();
        Pump();
        if (i % 4 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        Close();
    }
    stop = true;
    engine.join();
    Open();
    effect->setParameter(effect, kParamPolyphony, 77.0f / 127.0f);
    EXPECT_TRUE(WaitUntil([&] { return Panel()->polyDial->GetValue() == 77; }));
}

TEST_F(EditorTest, AnEngineChangeReachesTheWidgetAndSendsNothingBack)
{
    Open();
    ASSERT_TRUE(WaitUntil([&] { return Panel()->polyDial->GetValue() == 16; }));
    host.automated.clear();
    effect->setParameter(effect, kParamKill, 1.0f);
    effect->setParameter(effect, kParamMidiThrough, 1.0f);
    effect->setParameter(effect, kParamPolyphony, 1.0f);
    EXPECT_TRUE(WaitUntil([&] {
        return Panel()->killButton->GetValue() == 1 && Panel()->throughButton->GetValue() == 1 &&
               Panel()->polyDial->GetValue() == 127;
    }, 500));
    Settle();
    EXPECT_TRUE(host.automated.empty());
}

TEST_F(EditorTest, AHostThatPassesNoDisplayAndDeliversNoEventsStillGetsAWorkingEditor)
{
    // As in a host process that never hands over a display.
    Display* handedOver = dp.exchange(nullptr);
    Open(false);
    ASSERT_NE(Panel(), nullptr);
    EXPECT_TRUE(kova::gui::EventPumpRunning());
    // Nothing here reads the display; the panel still gets drawn ...
    EXPECT_TRUE(WaitUntil([&] { return PixelAt(Panel()->GetWindow(), 200, 60) == Rgb(Std(5)); }));
    // ... and a press on the kill button, as the server reports it, reaches
    // the engine and the host.
    SPluginPanel::Button* kill = Panel()->killButton;
    XWarpPointer(d, 0, kill->GetWindow(), 0, 0, 0, 0, 20, 15);
    XEvent press{};
    press.xbutton.type = ButtonPress;
    press.xbutton.window = kill->GetWindow();
    press.xbutton.root = root;
    press.xbutton.button = Button1;
    press.xbutton.x = 20;
    press.xbutton.y = 15;
    press.xbutton.same_screen = True;
    XSendEvent(d, kill->GetWindow(), False, ButtonPressMask, &press);
    XFlush(d);
    EXPECT_TRUE(WaitUntil([&] { return effect->getParameter(effect, kParamKill) == 1.0f; }));
    ASSERT_FALSE(host.automated.empty());
    EXPECT_EQ(host.automated.back(), (std::pair<VstInt32, float>(kParamKill, 1.0f)));
    Close();
    kova::gui::StopEventPump();
    dp.store(handedOver);
}

TEST_F(EditorTest, TheEditorRectangleAndTheHostWindowFollowTheSize)
{
    host.canDoAnswer = 0;  // a host that cannot size its window
    Open();
    ERect* rect = nullptr;
    Call(effEditGetRect, 0, 0, &rect);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 260);
    EXPECT_EQ(rect->bottom, 162);
    Editor()->SetSize(300, 200);
    XWindowAttributes a{};
    XSync(d, False);
    XGetWindowAttributes(d, hostWindow, &a);
    EXPECT_EQ(a.width, 300);
    EXPECT_EQ(a.height, 200);
    EXPECT_EQ(Panel()->Width(), 300);
}
