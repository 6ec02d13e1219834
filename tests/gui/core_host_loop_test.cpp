// The dispatcher inside a host's event loop: the host counts the events
// queued on its own connection, reads exactly that many and hands each one
// to the dispatcher the window publishes. Nothing may take events out of
// that queue under it, or it waits on an empty queue for good.
#include "core_fixture.h"

#include <cstdint>

using namespace core_test;

namespace {

using EventProc = int (*)(XEvent*);

// The dispatcher a window publishes in "_XEventProc", read as hosts read it.
EventProc PublishedDispatcher(Display* d, Window w)
{
    Atom type = 0;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    EventProc proc = nullptr;
    const Atom name = XInternAtom(d, "_XEventProc", False);
    if (XGetWindowProperty(d, w, name, 0, 1, False, AnyPropertyType, &type, &format, &n, &after, &data) == Success &&
        data && format == 32 && n == 1) {
        const long address = *reinterpret_cast<long*>(data);
        proc = reinterpret_cast<EventProc>((uintptr_t)address);
    }
    if (data)
        XFree(data);
    return proc;
}

class HostLoopTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        if (HasFatalFailure())
            return;
        host = XOpenDisplay(nullptr);
        ASSERT_NE(host, nullptr) << gui_test::NoDisplayMessage();
        // Handed over as at editor open: the toolkit's windows go on it.
        previous = dp.exchange(host);
        hostWindow = XCreateSimpleWindow(host, DefaultRootWindow(host), 200, 200, 200, 150, 0, 0, 0);
        XMapWindow(host, hostWindow);
        XSync(host, False);
    }

    void TearDown() override
    {
        if (host) {
            XDestroyWindow(host, hostWindow);
            XSync(host, True);
            dp.store(previous);
            XCloseDisplay(host);
        }
        CoreTest::TearDown();
    }

    // One pass of the host's loop. False when a counted event was gone:
    // XNextEvent would then wait for good.
    bool HostRound(std::vector<XEvent>& handed)
    {
        XSync(host, False);
        const int n = XPending(host);
        for (int i = 0; i < n; ++i) {
            if (QLength(host) == 0)
                return false;
            XEvent ev;
            XNextEvent(host, &ev);
            handed.push_back(ev);
            if (EventProc proc = PublishedDispatcher(host, ev.xany.window))
                proc(&ev);
        }
        return true;
    }

    Display* host = nullptr;
    Display* previous = nullptr;
    Window hostWindow = 0;
};

}  // namespace

TEST_F(HostLoopTest, TheHostReadsEveryEventItCountedAndTheEditorIsDrawnOncePerBurst)
{
    Recorder c(nullptr, nullptr, 1, "embedded", 0, 0, 0, 160, 120, (int)hostWindow, false);
    c.Show();
    std::vector<XEvent> handed;
    ASSERT_TRUE(HostRound(handed));

    // Another client's windows over the editor, one on top of the other,
    // taken away: the first uncovers a ring (a burst of several Expose
    // events), the second the rest.
    XSetWindowAttributes a{};
    a.override_redirect = True;
    Window under = XCreateWindow(d, root, 200, 200, 160, 120, 0, CopyFromParent, InputOutput, CopyFromParent,
                                 CWOverrideRedirect, &a);
    Window over = XCreateWindow(d, root, 240, 230, 40, 40, 0, CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect, &a);
    XMapRaised(d, under);
    XMapRaised(d, over);
    XSync(d, False);
    XUnmapWindow(d, under);
    XUnmapWindow(d, over);
    XSync(d, False);
    // The host moves and resizes its child a few times.
    for (int i = 1; i <= 3; ++i)
        XMoveResizeWindow(host, c.GetWindow(), i, 2 * i, 150 + i, 110 + i);
    XSync(host, False);

    c.draws = 0;
    handed.clear();
    for (int round = 0; round < 5 && XPending(host); ++round)
        ASSERT_TRUE(HostRound(handed)) << "the host would wait on an empty queue";

    int handedExposes = 0, lastsOfBursts = 0;
    for (const XEvent& ev : handed)
        if (ev.type == Expose && ev.xexpose.window == c.GetWindow()) {
            ++handedExposes;
            lastsOfBursts += ev.xexpose.count == 0;
        }
    ASSERT_LT(lastsOfBursts, handedExposes) << "no burst of several Expose events to test with";
    EXPECT_EQ(c.draws, lastsOfBursts);
    EXPECT_EQ(c.GetWindowRect(), Rect(3, 6, 156, 119));
    XDestroyWindow(d, under);
    XDestroyWindow(d, over);
}
