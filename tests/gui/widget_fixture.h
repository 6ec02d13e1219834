// Shared set-up of the widget, editor and panel tests: the display in use (a
// test fails when DISPLAY is set but cannot be opened), a mapped container
// window on screen, a listener that records the control events it receives,
// and mouse input: the real pointer is warped (the server then reports
// motion and crossing), button presses are handed to the dispatcher with the
// pointer's position, as the server would report them.
#pragma once

// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "kova/gui/connection.h"
#include "kova/gui/context/staticdata.h"
#include "kova/gui/control.h"
#include "kova/gui/eventpump.h"
#include "kova/gui/globals.h"
#include "kova/gui/input.h"
#include "kova/gui/window.h"
#include "x_events.h"

namespace widget_test {

using kova::gui::SControl;
using kova::gui::SEvent;
using kova::gui::SWindow;
using kova::gui::context::SInput;
using Rect = kova::math::geom::Rectangle<int, 2>;
using Point = kova::math::geom::Point<int, 2>;

struct Heard {
    int type;
    int kind;
    int value;
    SControl* sender;
};

// A window that keeps every control event it hears.
class Listener : public SWindow {
public:
    using SWindow::SWindow;
    void ParseEvent(SEvent* ev) override { heard.push_back({ev->type, ev->kind, ev->value, ev->sender}); }
    std::vector<int> Values(int type) const
    {
        std::vector<int> v;
        for (const Heard& h : heard)
            if (h.type == type)
                v.push_back(h.value);
        return v;
    }
    std::vector<Heard> heard;
};

// Standard colour i of the shared table.
inline int Std(int i)
{
    return statdata ? statdata->Colour(i) : 0;
}

// 0xRRGGBB of a pixel value on a TrueColor screen.
inline unsigned long Rgb(int pixel)
{
    return (unsigned long)pixel & 0xFFFFFF;
}

class WidgetTest : public testing::Test {
protected:
    void SetUp() override
    {
        d = kova::gui::GetDisplay();
        ASSERT_NE(d, nullptr) << gui_test::NoDisplayMessage();
        ASSERT_NE(statdata, nullptr);
        root = RootWindow(d, DefaultScreen(d));
        SControl::capture = nullptr;
        kova::gui::StopEventPump();
        box = new Listener(&globals, nullptr, 1, "widget test box", 0, 100, 100, 300, 200, 0, false);
        box->SetColours(Std(24), Std(24), Std(24), Std(0), Std(0), Std(0), Std(0));
        box->Show();
        Pump();
    }

    void TearDown() override
    {
        kova::gui::StopEventPump();
        delete box;
        box = nullptr;
        if (d) {
            XUngrabPointer(d, CurrentTime);
            Pump();
        }
        SControl::capture = nullptr;
    }

    // Hands every pending event to the dispatcher, as a host would.
    void Pump() { gui_test::DispatchPending(d); }

    // Pumps until the condition holds or about a second has passed.
    bool PumpUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < 200; ++i) {
            Pump();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }

    // Pumps for a while, so that drawing requests are served.
    void Settle(int ms = 100)
    {
        for (int i = 0; i < ms / 10; ++i) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        Pump();
    }

    // Waits (without pumping: another thread serves the display).
    static bool WaitUntil(const std::function<bool()>& done, int ms = 2000)
    {
        for (int i = 0; i < ms / 5; ++i) {
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }

    // Moves the real pointer to a point of the control and lets the
    // dispatcher see the motion and crossing events.
    void MoveTo(SControl& c, int x, int y)
    {
        XWarpPointer(d, 0, c.GetWindow(), 0, 0, 0, 0, x, y);
        Pump();
    }

    // A press or release of a button at the pointer's position, as the
    // server reports it to the control's window.
    int Mouse(SControl& c, int type, unsigned button, unsigned state = 0)
    {
        Window r = 0, child = 0;
        int rx = 0, ry = 0, x = 0, y = 0;
        unsigned int mask = 0;
        XQueryPointer(d, c.GetWindow(), &r, &child, &rx, &ry, &x, &y, &mask);
        XEvent ev = gui_test::ButtonEvent(d, c.GetWindow(), root, type, button, (Time)(clock += 1000), x, y, state);
        ev.xbutton.x_root = rx;
        ev.xbutton.y_root = ry;
        const int result = SControl::eventProc(&ev);
        Pump();
        return result;
    }

    // A click: press and release.
    void Click(SControl& c, unsigned button = Button1, unsigned state = 0)
    {
        Mouse(c, ButtonPress, button, state);
        Mouse(c, ButtonRelease, button, state);
    }

    // The pixel at a point of a window (0xRRGGBB).
    unsigned long PixelAt(Window w, int x, int y)
    {
        XSync(d, False);
        XImage* image = XGetImage(d, w, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0xFFFFFFFFul;
        const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return p;
    }

    Display* d = nullptr;
    Window root = 0;
    SGlobals globals;
    Listener* box = nullptr;
    unsigned long clock = 100000;
};

}  // namespace widget_test
