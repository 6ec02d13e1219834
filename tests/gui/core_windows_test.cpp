// Control windows on a real server: creation, properties, geometry, shape,
// error reporting, monitors, and what happens without a display.
#include "core_fixture.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "kova/gui/display.h"
#include "kova/gui/eventproctrampoline.h"

using namespace core_test;

namespace {

// The items of a format-32 property.
std::vector<long> Items(Display* d, Window w, const char* name)
{
    Atom a = XInternAtom(d, name, False);
    Atom type = 0;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> out;
    if (XGetWindowProperty(d, w, a, 0, 16, False, AnyPropertyType, &type, &format, &n, &after, &data) == Success &&
        data) {
        if (format == 32)
            out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + n);
        XFree(data);
    }
    return out;
}

bool Inside(const std::vector<XRectangle>& rects, int x, int y)
{
    for (const XRectangle& r : rects)
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height)
            return true;
    return false;
}

}  // namespace

TEST_F(CoreTest, AControlPublishesItselfAndADispatcherHostsCanCall)
{
    Recorder c(nullptr, nullptr, 1, "published", 0, 0, 0, 60, 40, 0, false);
    std::vector<long> self = Items(d, c.GetWindow(), "_KOVAWND");
    ASSERT_FALSE(self.empty());
    uintptr_t address = (uintptr_t)(unsigned long)(self[0] & 0xFFFFFFFFL);
    if (self.size() > 1)
        address |= (uintptr_t)((uint64_t)(self[1] & 0xFFFFFFFFL) << 32);
    EXPECT_EQ(address, (uintptr_t)&c);

    std::vector<long> proc = Items(d, c.GetWindow(), "_XEventProc");
    ASSERT_EQ(proc.size(), 1u);
    ASSERT_NE(proc[0], 0);
    // Read as a host reads it: one 32-bit item, sign-extended into a long.
    EXPECT_LT((unsigned long)proc[0], 0x80000000ul);

    // Calling through the published address dispatches like eventProc.
    c.Show();
    Pump();
    auto hostCall = reinterpret_cast<int (*)(XEvent*)>((uintptr_t)proc[0]);
    c.RefreshArea(9);
    XSync(d, False);
    XEvent ev;
    ASSERT_TRUE(XCheckTypedWindowEvent(d, c.GetWindow(), ClientMessage, &ev));
    EXPECT_EQ(hostCall(&ev), 1);
    EXPECT_EQ(c.areas, std::vector<unsigned>{9});
}

TEST_F(CoreTest, AChildWithoutOwnerOrParentLivesUnderTheRootWindow)
{
    Recorder c(nullptr, nullptr, 1, "orphan", 0, 0, 0, 20, 20, 0, false);
    Window r = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    ASSERT_TRUE(XQueryTree(d, c.GetWindow(), &r, &parent, &children, &n));
    if (children)
        XFree(children);
    EXPECT_EQ(parent, root);
    EXPECT_FALSE(c.IsMapped());
}

TEST_F(CoreTest, AChildOfAnOwnerLivesInTheOwnersWindow)
{
    Recorder owner(nullptr, nullptr, 1, "owner", 0, 0, 0, 100, 100, 0, false);
    auto* child = new Recorder(nullptr, &owner, 2, "child", 0, 10, 10, 20, 20, 0, false);
    owner.Add(child);
    EXPECT_EQ(child->GetParentWindow(), owner.GetWindow());
    EXPECT_TRUE(owner.IsSubcontrol((int)child->GetWindow()));
    EXPECT_FALSE(owner.IsSubcontrol((int)root));
}

TEST_F(CoreTest, ATopLevelWindowIsNamedAndAcceptsTheCloseRequest)
{
    // The protocol is registered only when the server knows the atom (a
    // window manager interns it).
    XInternAtom(d, "WM_DELETE_WINDOW", False);
    Recorder top(nullptr, nullptr, 1, "Tessaro Test Window", SControl::TopLevel, 0, 0, 60, 40, 0, false);
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(d, top.GetWindow(), &name));
    EXPECT_STREQ(name, "Tessaro Test Window");
    XFree(name);
    Atom* protocols = nullptr;
    int n = 0;
    ASSERT_TRUE(XGetWMProtocols(d, top.GetWindow(), &protocols, &n));
    ASSERT_EQ(n, 1);
    EXPECT_EQ(protocols[0], XInternAtom(d, "WM_DELETE_WINDOW", True));
    XFree(protocols);
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(d, top.GetWindow(), &hints, &supplied));
    EXPECT_EQ(hints.min_width, 60);
    EXPECT_EQ(hints.max_height, 40);
}

TEST_F(CoreTest, ResizingKeepsTheOriginAndMovingKeepsTheSize)
{
    Recorder c(nullptr, nullptr, 1, "geometry", 0, 15, 25, 60, 40, 0, false);
    c.SetSize(80, 30);
    EXPECT_EQ(c.GetWindowRect(), Rect(15, 25, 95, 55));
    EXPECT_EQ(c.GetClientRect(), Rect(0, 0, 80, 30));
    c.SetPosition(5, 6);
    EXPECT_EQ(c.GetWindowRect(), Rect(5, 6, 85, 36));
    c.Move(1, 2);
    c.Resized(false);
    EXPECT_EQ(c.GetWindowRect(), Rect(6, 8, 86, 38));
}

TEST_F(CoreTest, ReparentingMovesTheWindowAndKeepsItVisible)
{
    Recorder holder(nullptr, nullptr, 1, "holder", 0, 0, 0, 200, 200, 0, false);
    Recorder host(nullptr, nullptr, 2, "host", 0, 300, 0, 200, 200, 0, false);
    Recorder panel(nullptr, nullptr, 3, "panel", 0, 0, 0, 50, 50, (int)holder.GetWindow(), false);
    EXPECT_EQ(panel.GetParentWindow(), holder.GetWindow());
    panel.Show();
    panel.Reparent((int)host.GetWindow());
    XSync(d, False);
    Window r = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    ASSERT_TRUE(XQueryTree(d, panel.GetWindow(), &r, &parent, &children, &n));
    if (children)
        XFree(children);
    EXPECT_EQ(parent, host.GetWindow());
    EXPECT_TRUE(panel.IsMapped());
}

TEST_F(CoreTest, ARoundShapeCutsTheCornersOnly)
{
    Recorder c(nullptr, nullptr, 1, "round", 0, 0, 0, 20, 12, 0, false);
    c.SetRoundShape(true);
    XSync(d, False);
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(d, c.GetWindow(), ShapeBounding, &count, &ordering);
    ASSERT_NE(rects, nullptr);
    std::vector<XRectangle> shape(rects, rects + count);
    XFree(rects);
    // Row 0 loses 5 pixels at each end, row 1 three, row 2 two, rows 3-4 one.
    EXPECT_FALSE(Inside(shape, 4, 0));
    EXPECT_TRUE(Inside(shape, 5, 0));
    EXPECT_FALSE(Inside(shape, 15, 0));
    EXPECT_TRUE(Inside(shape, 14, 0));
    EXPECT_FALSE(Inside(shape, 2, 1));
    EXPECT_TRUE(Inside(shape, 3, 1));
    EXPECT_FALSE(Inside(shape, 1, 2));
    EXPECT_TRUE(Inside(shape, 2, 2));
    EXPECT_FALSE(Inside(shape, 0, 4));
    EXPECT_TRUE(Inside(shape, 1, 4));
    EXPECT_TRUE(Inside(shape, 0, 5));
    EXPECT_FALSE(Inside(shape, 19, 11));
    EXPECT_FALSE(Inside(shape, 15, 11));
    EXPECT_TRUE(Inside(shape, 14, 11));
    EXPECT_FALSE(Inside(shape, 19, 7));
    EXPECT_TRUE(Inside(shape, 19, 6));
    // The middle rows are whole.
    EXPECT_TRUE(Inside(shape, 0, 6));
    EXPECT_TRUE(Inside(shape, 10, 6));

    c.SetRoundShape(false);
    XSync(d, False);
    rects = XShapeGetRectangles(d, c.GetWindow(), ShapeBounding, &count, &ordering);
    std::vector<XRectangle> plain(rects, rects + count);
    XFree(rects);
    EXPECT_TRUE(Inside(plain, 0, 0));
    EXPECT_TRUE(Inside(plain, 19, 11));
}

TEST_F(CoreTest, ReadingAPropertyOfAVanishedWindowReportsTheErrorAndGivesZero)
{
    EXPECT_EQ(SControl::getProperty(0, XA_WM_NAME), 0);
    Window gone = XCreateSimpleWindow(d, root, 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(d, gone);
    XSync(d, False);
    testing::internal::CaptureStderr();
    EXPECT_EQ(SControl::getProperty(gone, XInternAtom(d, "_KOVAWND", False)), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(SControl::xerror.load());
    EXPECT_NE(err.find("XError Message: BadWindow"), std::string::npos) << err;
    EXPECT_NE(err.find("XError Message: (X_GetProperty)"), std::string::npos) << err;
    EXPECT_NE(err.find("XError Message: Request=20\n"), std::string::npos) << err;
}

TEST_F(CoreTest, ReadingAPropertyGivesItsFirstItem)
{
    Recorder c(nullptr, nullptr, 1, "prop", 0, 0, 0, 10, 10, 0, false);
    Atom a = XInternAtom(d, "TESSARO_TEST_NUMBER", False);
    long v = 1234;
    XChangeProperty(d, c.GetWindow(), a, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&v), 1);
    EXPECT_EQ(SControl::getProperty(c.GetWindow(), a), 1234);
    EXPECT_FALSE(SControl::xerror.load());
    EXPECT_EQ(SControl::getProperty(c.GetWindow(), XInternAtom(d, "TESSARO_TEST_ABSENT", False)), 0);
}

TEST_F(CoreTest, EventsOfForeignWindowsAndForgedAddressesAreIgnored)
{
    Window foreign = XCreateSimpleWindow(d, root, 0, 0, 10, 10, 0, 0, 0);
    XEvent ev{};
    ev.xbutton.type = ButtonPress;
    ev.xbutton.display = d;
    ev.xbutton.window = foreign;
    ev.xbutton.button = Button1;
    EXPECT_EQ(SControl::eventProc(&ev), 0);
    // Another client may write any number into the property.
    Atom kova = XInternAtom(d, "_KOVAWND", False);
    long forged[2] = {0x1234, 0};
    XChangeProperty(d, foreign, kova, kova, 32, PropModeReplace, reinterpret_cast<unsigned char*>(forged),
                    sizeof(void*) > 4 ? 2 : 1);
    XSync(d, False);
    EXPECT_EQ(SControl::eventProc(&ev), 0);
    ev.xbutton.window = 0;
    EXPECT_EQ(SControl::eventProc(&ev), 0);
    XDestroyWindow(d, foreign);
}

TEST_F(CoreTest, TheMonitorRecordOfTheTestServerIsItsWholeScreen)
{
    kova::gui::SDisplay monitors;
    monitors.AllMonitorRects();
    const int w = DisplayWidth(d, DefaultScreen(d));
    const int h = DisplayHeight(d, DefaultScreen(d));
    ASSERT_GE(monitors.count, 1);
    EXPECT_EQ(monitors.Bounds(), Rect(0, 0, w, h));
    EXPECT_EQ(monitors.MonitorRect(Point(w / 2, h / 2)), monitors.monitors[0]);
}

TEST_F(CoreTest, CentringPutsAControlInTheMiddleOfItsMonitor)
{
    kova::gui::SDisplay monitors;
    monitors.AddMonitor(Rect(0, 0, 1000, 800));
    Recorder c(nullptr, nullptr, 1, "centre", 0, 0, 0, 100, 50, 0, false);
    monitors.CenterOnWindow(&c);
    EXPECT_EQ(c.GetWindowRect(), Rect(450, 375, 550, 425));
    monitors.CenterOnWindow(nullptr);
}

TEST_F(CoreTest, WithoutAnyDisplayControlsAreHarmless)
{
    Display* own = dps.exchange(nullptr);
    Display* host = dp.exchange(nullptr);
    {
        Recorder c(nullptr, nullptr, 1, "nowhere", SControl::TopLevel, 0, 0, 60, 40, 0, false);
        EXPECT_EQ(c.GetWindow(), 0u);
        c.Show();
        c.Refresh();
        c.RefreshArea(1);
        c.SetRoundShape(true);
        c.SetSize(10, 10);
        c.Focus(true);
        c.MouseSetCapture();
        c.MouseReleaseCapture();
        EXPECT_FALSE(c.IsMapped());
        EXPECT_EQ(SControl::getProperty(123, 1), 0);
        kova::gui::SDisplay monitors;
        monitors.AllMonitorRects();
        EXPECT_EQ(monitors.count, 1);
        XEvent ev{};
        ev.xany.type = Expose;
        ev.xany.window = 42;
        EXPECT_EQ(SControl::eventProc(&ev), 0);
    }
    dps.store(own);
    dp.store(host);
}

TEST_F(CoreTest, AControlWhoseWindowTheServerAlreadyDestroyedGoesQuietly)
{
    Window host = XCreateSimpleWindow(d, root, 0, 0, 100, 100, 0, 0, 0);
    auto* panel = new Recorder(nullptr, nullptr, 1, "orphaned", 0, 0, 0, 50, 50, (int)host, false);
    panel->Show();
    XSync(d, False);
    // The host closes its window first: ours goes with it on the server.
    XDestroyWindow(d, host);
    XSync(d, False);
    testing::internal::CaptureStderr();
    delete panel;  // would end the process under Xlib's default error handler
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("BadWindow"), std::string::npos) << err;
}

TEST_F(CoreTest, EventsLeftOverFromADeletedControlPassWithoutErrorMessages)
{
    auto* c = new Recorder(nullptr, nullptr, 1, "short-lived", 0, 0, 0, 40, 30, 0, false);
    c->Show();
    XSync(d, False);
    delete c;  // its map, expose, unmap and destroy notices are still queued
    XSync(d, False);
    testing::internal::CaptureStderr();
    Pump();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("XError"), std::string::npos) << err;
}

TEST_F(CoreTest, FocusIsNotAskedForAWindowThatCannotBeSeen)
{
    Recorder hidden(nullptr, nullptr, 1, "hidden parent", 0, 0, 0, 100, 100, 0, false);
    auto* child = new Recorder(nullptr, &hidden, 2, "child", 0, 0, 0, 20, 20, 0, false);
    hidden.Add(child);
    child->Show();  // mapped, but its parent is not
    XErrorHandler before = XSetErrorHandler(&SControl::errorHandler);
    SControl::xerror = false;
    child->Focus(true);
    XSync(d, False);
    XSetErrorHandler(before);
    EXPECT_FALSE(SControl::xerror.load());
}

namespace {

int SentinelHandler(Display*, XErrorEvent*)
{
    return 0;
}

}  // namespace

TEST_F(CoreTest, CheckedReadsFromManyThreadsPutTheHostsErrorHandlerBack)
{
    Window gone = XCreateSimpleWindow(d, root, 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(d, gone);
    XSync(d, False);
    Atom a = XInternAtom(d, "_KOVAWND", False);
    XErrorHandler hosts = XSetErrorHandler(&SentinelHandler);
    testing::internal::CaptureStderr();
    std::vector<std::thread> readers;
    std::atomic<int> nonzero{0};
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&] {
            for (int i = 0; i < 40; ++i)
                if (SControl::getProperty(gone, a) != 0)
                    ++nonzero;
        });
    for (auto& r : readers)
        r.join();
    testing::internal::GetCapturedStderr();
    // Whatever the interleaving, the handler in place afterwards is the host's.
    XErrorHandler now = XSetErrorHandler(hosts);
    EXPECT_EQ(now, &SentinelHandler);
    EXPECT_EQ(nonzero.load(), 0);
}
