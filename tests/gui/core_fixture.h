// Shared set-up of the toolkit core tests: the display in use (a test fails
// when DISPLAY is set but cannot be opened), a control that records what the
// dispatcher tells it, and builders of synthetic X events.
#pragma once

// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <vector>

#include "kova/gui/connection.h"
#include "kova/gui/control.h"
#include "kova/gui/window.h"
#include "x_events.h"

namespace core_test {

using kova::gui::SControl;
using kova::gui::SWindow;
using Rect = kova::math::geom::Rectangle<int, 2>;
using Point = kova::math::geom::Point<int, 2>;

struct KeyReport {
    int code;
    bool pressed;
    int modifiers;
    int keyClass;
};

// A window that writes down every hook the dispatcher calls.
class Recorder : public SWindow {
public:
    using SWindow::SWindow;

    void MouseStateChanged(bool*, int code) override { codes.push_back(code); }
    void KeyStateChanged(int code, bool pressed, int modifiers, int keyClass) override
    {
        keys.push_back({code, pressed, modifiers, keyClass});
    }
    void Draw(const Rect& r) override
    {
        ++draws;
        SWindow::Draw(r);
    }
    void DrawArea(unsigned int area) override
    {
        areas.push_back(area);
        ++areaCount;
    }
    void DrawRegion(kova::gui::context::SDrawRegion* region) override { regions.push_back(region); }
    void DrawOutlines(const Rect& r) override
    {
        ++outlines;
        lastOutline = r;
    }
    void Stop() override
    {
        ++stops;
        SWindow::Stop();
    }
    void CloseDialog() override { ++closes; }
    void ParseEvent(kova::gui::SEvent* ev) override
    {
        eventTypes.push_back(ev->type);
        if (ev->data)
            eventData.assign(static_cast<int*>(ev->data), static_cast<int*>(ev->data) + 3);
    }

    std::vector<int> codes;
    std::vector<KeyReport> keys;
    std::vector<unsigned> areas;
    std::vector<kova::gui::context::SDrawRegion*> regions;
    std::atomic<int> areaCount{0};
    std::vector<int> eventTypes;
    std::vector<int> eventData;
    int draws = 0;
    int outlines = 0;
    int stops = 0;
    int closes = 0;
    Rect lastOutline;
};

class CoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        d = kova::gui::GetDisplay();
        ASSERT_NE(d, nullptr) << gui_test::NoDisplayMessage();
        root = RootWindow(d, DefaultScreen(d));
        SControl::capture = nullptr;
    }

    void TearDown() override
    {
        if (d) {
            XUngrabPointer(d, CurrentTime);
            // Left-over events belong to windows that are gone by now.
            XSync(d, True);
        }
        SControl::capture = nullptr;
    }

    // Hands every pending event to the dispatcher, as a host would.
    void Pump() { gui_test::DispatchPending(d); }

    // Counts (and removes) the pending events of one type for a window.
    int Take(Window w, int type)
    {
        XSync(d, False);
        int n = 0;
        XEvent ev;
        while (XCheckTypedWindowEvent(d, w, type, &ev))
            ++n;
        return n;
    }

    XEvent Button(SControl& c, int type, unsigned button, Time time, int x = 5, int y = 5, unsigned state = 0)
    {
        return gui_test::ButtonEvent(d, c.GetWindow(), root, type, button, time, x, y, state);
    }

    XEvent Crossing(SControl& c, int type, int x = 5, int y = 5)
    {
        XEvent ev{};
        ev.xcrossing.type = type;
        ev.xcrossing.display = d;
        ev.xcrossing.window = c.GetWindow();
        ev.xcrossing.root = root;
        ev.xcrossing.x = x;
        ev.xcrossing.y = y;
        return ev;
    }

    XEvent Key(SControl& c, int type, KeySym sym, unsigned state = 0)
    {
        XEvent ev{};
        ev.xkey.type = type;
        ev.xkey.display = d;
        ev.xkey.window = c.GetWindow();
        ev.xkey.root = root;
        ev.xkey.keycode = XKeysymToKeycode(d, sym);
        ev.xkey.state = state;
        ev.xkey.same_screen = True;
        return ev;
    }

    int Send(XEvent ev) { return SControl::eventProc(&ev); }

    Display* d = nullptr;
    Window root = 0;
};

}  // namespace core_test
