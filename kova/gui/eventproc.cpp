// The dispatcher of X events of toolkit windows, with mouse capture.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "kova/gui/atoms.h"
#include "kova/gui/connection.h"
#include "kova/gui/control.h"
#include "kova/gui/cursor.h"
#include "kova/gui/dispatchguard.h"
#include "kova/gui/display.h"
#include "kova/gui/globals.h"
#include "kova/gui/keys.h"
#include "kova/gui/tooltipanchor.h"
#include "kova/gui/xerror.h"

namespace kova::gui {

using kova::gui::context::SInput;

namespace {

// Receives the text of XLookupString; only the dispatching thread uses it.
char keystring[20];

// The control whose window carries the event, read from its "_KOVAWND"
// property. The window may have been destroyed since the event was queued:
// that failure is expected and passes quietly.
SControl* FindControl(Display* d, Window w)
{
    if (!w)
        return nullptr;
    Atom kova = XInternAtom(d, atoms::KovaWindow, False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    int status;
    bool failed;
    const long want = atoms::AddressItems;
    {
        SXErrorTrap trap(d, true);
        status = XGetWindowProperty(d, w, kova, 0, want, False, AnyPropertyType, &type, &format, &items, &after,
                                    &data);
        failed = trap.Failed();
    }
    void* address = nullptr;
    if (status == Success && !failed && format == 32 && (long)items == want && data)
        address = atoms::JoinAddress(reinterpret_cast<const long*>(data));
    if (data)
        XFree(data);
    SControl* c = static_cast<SControl*>(address);
    return IsLiveControl(c) ? c : nullptr;
}

void CursorOn(SGlobals* g, bool on)
{
    if (!g)
        return;
    SCursor* cursor = g->cursor.load();
    if (!cursor)
        return;
    if (on)
        cursor->Set();
    else
        cursor->Free();
}

bool PointerInside(Display* d, SControl* c)
{
    Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(d, RootWindow(d, DefaultScreen(d)), &root, &child, &rx, &ry, &wx, &wy, &mask))
        return false;
    int x = rx, y = ry;
    c->GetScreen2Client(&x, &y);
    return c->GetClientRect().Contains(kova::math::geom::Point<int, 2>(x, y));
}

// Takes the queued events of one type for a window out of the queue, the
// newest into `newest`, when the toolkit reads that queue itself; a host's
// queue is left alone. Returns whether any was taken.
bool TakeNewest(Display* d, Window w, int type, XEvent& newest)
{
    if (!ToolkitReadsQueue(d))
        return false;
    bool taken = false;
    XEvent more;
    while (XCheckTypedWindowEvent(d, w, type, &more)) {
        newest = more;
        taken = true;
    }
    return taken;
}

}  // namespace

// Holds the per-event logic; a friend of SControl.
class SControlDispatch {
public:
    static int Dispatch(Display* d, SControl* c, XEvent* ev);

private:
    static int Key(Display* d, SControl* c, XKeyEvent& e);
    static int OnButtonPress(SControl* c, XButtonEvent& e);
    static int OnButtonRelease(SControl* c, XButtonEvent& e);
    static int Motion(SControl* c, XMotionEvent& e);
    static int Crossing(Display* d, SControl* c, XCrossingEvent& e, bool enter);
    static int OnExpose(Display* d, SControl* c, XExposeEvent& e);
    static int Configure(Display* d, SControl* c, XEvent* ev);
    static int Client(Display* d, SControl* c, XClientMessageEvent& e);
    static void PlaceTooltip(SControl* c);

    static bool InputOk(SControl* c) { return c->EnabledForInput() && c->input; }
    static SControl* Target(SControl* c)
    {
        SControl* t = SControl::capture;
        return (t && IsLiveControl(t) && t->input) ? t : c;
    }
};

int SControl::eventProc(XEvent* ev)
{
    if (!ev)
        return 0;
    Display* d = ev->xany.display ? ev->xany.display : GetDisplay();
    // No control handles a window's end, and the window it names is gone:
    // asking for its property would only fail.
    if (!d || ev->type == DestroyNotify)
        return 0;
    SDispatchGuard guard;
    SControl* c = FindControl(d, ev->xany.window);
    if (!c)
        return 0;
    return SControlDispatch::Dispatch(d, c, ev);
}

int SControlDispatch::Dispatch(Display* d, SControl* c, XEvent* ev)
{
    switch (ev->type) {
    case KeyPress:
    case KeyRelease:
        return Key(d, c, ev->xkey);
    case ButtonPress:
        return OnButtonPress(c, ev->xbutton);
    case ButtonRelease:
        return OnButtonRelease(c, ev->xbutton);
    case MotionNotify:
        return Motion(c, ev->xmotion);
    case EnterNotify:
        return Crossing(d, c, ev->xcrossing, true);
    case LeaveNotify:
        return Crossing(d, c, ev->xcrossing, false);
    case FocusIn:
        c->Focussing(true);
        if (c->globals && PointerInside(d, c))
            CursorOn(c->globals, true);
        return 0;
    case FocusOut:
        if ((c->flags & SControl::Dialog) && c->input && c->input->flags[SInput::Captured]) {
            c->MouseReleaseCapture();
            c->MouseStateChanged(c->input->flags, SInput::Captured);
        }
        if (c->flags & SControl::MenuOnFocus)
            c->CloseMenu();
        c->Focussing(false);
        return 0;
    case Expose:
        return OnExpose(d, c, ev->xexpose);
    case NoExpose:
        return 1;
    case UnmapNotify:
        if (c->globals && c->owner && PointerInside(d, c))
            CursorOn(c->globals, true);
        c->state &= ~SControl::Mapped;
        return 0;
    case MapNotify:
        if (c->globals && PointerInside(d, c))
            CursorOn(c->globals, true);
        c->state |= SControl::Mapped;
        return 0;
    case ConfigureNotify:
        return Configure(d, c, ev);
    case ClientMessage:
        return Client(d, c, ev->xclient);
    case MappingNotify:
        if (ev->xmapping.request == MappingPointer)
            return 0;
        XRefreshKeyboardMapping(&ev->xmapping);
        return 1;
    default:
        return 0;
    }
}

int SControlDispatch::Key(Display*, SControl* c, XKeyEvent& e)
{
    if (!InputOk(c))
        return 1;
    SControl* t = Target(c);
    bool* flags = t->input->flags;
    const bool pressed = e.type == KeyPress;
    KeySym sym = 0;
    std::memset(keystring, 0, sizeof keystring);
    XLookupString(&e, keystring, sizeof keystring - 1, &sym, nullptr);
    KeyInfo info = MapKeySym(sym);
    if (info.modifierFlag >= 0)
        flags[info.modifierFlag] = pressed;
    const int modifiers = (flags[SInput::Alt] ? 4 : 0) | (flags[SInput::Control] ? 2 : 0) |
                          (flags[SInput::Shift] ? 1 : 0);
    if (pressed) {
        for (const SKeyBinding& b : t->keyBindings) {
            if ((KeySym)(unsigned)b.keysym == sym) {
                int data[3] = {0, (int)sym, modifiers};
                t->SendEvent(kChannelKeyBinding, SEvent::KindData, 0, 0.0f, data, t, nullptr);
                break;
            }
        }
    }
    t->KeyStateChanged(info.code, pressed, modifiers, info.keyClass);
    return 1;
}

int SControlDispatch::OnButtonPress(SControl* c, XButtonEvent& e)
{
    CursorOn(c->globals, true);
    if (!InputOk(c))
        return 1;
    SControl* t = Target(c);
    SInput* in = t->input;
    bool* f = in->flags;
    int code = -1;
    switch (e.button) {
    case Button1:
        if (!f[SInput::LeftDown])
            code = SInput::LeftDown;
        f[SInput::LeftDown] = true;
        f[SInput::RightDown] = f[SInput::MiddleDown] = false;
        break;
    case Button2:
        if (!f[SInput::MiddleDown])
            code = SInput::MiddleDown;
        f[SInput::MiddleDown] = true;
        f[SInput::RightDown] = false;
        break;
    case Button3:
        if (!f[SInput::RightDown])
            code = SInput::RightDown;
        f[SInput::RightDown] = true;
        f[SInput::MiddleDown] = false;
        break;
    case Button4:
    case Button5: {
        SControl* r = c;
        const int both = SControl::WheelToOwnerA | SControl::WheelToOwnerB;
        if ((c->flags & both) == both) {
            r = c->owner;
            if (!r || !InputOk(r))
                return 1;
        }
        bool* rf = r->input->flags;
        rf[SInput::Wheel] = true;
        rf[SInput::LeftDown] = rf[SInput::RightDown] = rf[SInput::MiddleDown] = false;
        rf[SInput::WheelUp] = e.button == Button4;
        rf[SInput::WheelDown] = e.button == Button5;
        r->Modifiers((int)e.state);
        r->MouseStateChanged(rf, SInput::Wheel);
        r->MousePosition(e.x, e.y);
        return 1;
    }
    default:
        break;
    }

    int dbl = -1;
    if (in->lastTime == 0) {
        in->lastTime = (unsigned)e.time;
        in->lastButton = (int)e.button;
    } else {
        const unsigned elapsed = (unsigned)e.time - in->lastTime;
        const bool same = in->lastButton == (int)e.button;
        in->lastTime = (unsigned)e.time;
        in->lastButton = (int)e.button;
        if (elapsed <= 359 && same) {
            if (e.button == Button1) {
                if (!f[SInput::LeftDouble])
                    dbl = SInput::LeftDouble;
                f[SInput::LeftDouble] = true;
                f[SInput::RightDouble] = f[SInput::MiddleDouble] = false;
            } else if (e.button == Button2) {
                dbl = SInput::MiddleDouble;
                f[SInput::MiddleDouble] = true;
                f[SInput::LeftDouble] = f[SInput::RightDouble] = false;
            } else if (e.button == Button3) {
                dbl = SInput::RightDouble;
                f[SInput::RightDouble] = true;
                f[SInput::LeftDouble] = f[SInput::MiddleDouble] = false;
            }
        }
    }

    f[SInput::Inside] = true;
    f[SInput::Entered] = f[SInput::Left] = f[SInput::Released] = f[SInput::Wheel] = false;
    t->Modifiers((int)e.state);
    if (dbl >= 0)
        t->MouseStateChanged(f, dbl);
    else if (code >= 0)
        t->MouseStateChanged(f, code);
    if ((t->flags & SControl::AutoCapture) && !f[SInput::Captured]) {
        t->MouseSetCapture();
        t->MouseStateChanged(f, SInput::Captured);
    }
    t->MousePosition(e.x, e.y);
    return 0;
}

int SControlDispatch::OnButtonRelease(SControl* c, XButtonEvent& e)
{
    if (!InputOk(c))
        return 1;
    SControl* t = Target(c);
    bool* f = t->input->flags;
    const bool wasReleased = f[SInput::Released];
    f[SInput::Released] = true;
    f[SInput::Moving] = f[SInput::LeftDown] = f[SInput::RightDown] = f[SInput::MiddleDown] = false;
    f[SInput::LeftDouble] = f[SInput::RightDouble] = f[SInput::MiddleDouble] = f[SInput::Wheel] = false;
    f[SInput::Entered] = false;
    if (f[SInput::Inside]) {
        f[SInput::Left] = false;
        CursorOn(t->globals, true);
    } else {
        f[SInput::Left] = true;
        CursorOn(t->globals, false);
    }
    t->Modifiers((int)e.state);
    if (!wasReleased)
        t->MouseStateChanged(f, SInput::Released);
    t->MousePosition(e.x, e.y);
    if ((t->flags & SControl::AutoCapture) && f[SInput::Captured]) {
        t->MouseReleaseCapture();
        t->MouseStateChanged(f, SInput::Captured);
    }
    return 0;
}

int SControlDispatch::Motion(SControl* c, XMotionEvent& e)
{
    CursorOn(c->globals, true);
    if (!InputOk(c))
        return 1;
    SControl* t = Target(c);
    bool* f = t->input->flags;
    if (f[SInput::Inside]) {
        const bool began = f[SInput::Entered] || !f[SInput::Moving];
        f[SInput::Entered] = f[SInput::Wheel] = false;
        f[SInput::Moving] = true;
        t->Modifiers((int)e.state);
        if (began)
            t->MouseStateChanged(f, SInput::Moving);
    } else {
        f[SInput::Entered] = f[SInput::Moving] = f[SInput::Wheel] = false;
        t->Modifiers((int)e.state);
    }
    t->MousePosition(e.x, e.y);
    return 0;
}

int SControlDispatch::Crossing(Display*, SControl* c, XCrossingEvent& e, bool enter)
{
    CursorOn(c->globals, enter);
    if (!InputOk(c) || SControl::capture)
        return 1;
    bool* f = c->input->flags;
    int code = -1;
    const bool tips = c->tooltip && (c->state & SControl::TooltipsOn);
    if (enter) {
        if (!f[SInput::Entered])
            code = SInput::Entered;
        f[SInput::Inside] = f[SInput::Entered] = true;
        f[SInput::Left] = false;
        if (tips)
            PlaceTooltip(c);
    } else {
        if (!f[SInput::Left])
            code = SInput::Left;
        f[SInput::Entered] = f[SInput::Inside] = false;
        f[SInput::Left] = true;
        if (tips)
            c->HideTooltip();
    }
    if (!f[SInput::Captured]) {
        f[SInput::LeftDown] = f[SInput::RightDown] = f[SInput::MiddleDown] = false;
        f[SInput::LeftDouble] = f[SInput::RightDouble] = f[SInput::MiddleDouble] = false;
    }
    f[SInput::Wheel] = false;
    c->Modifiers((int)e.state);
    if (code >= 0)
        c->MouseStateChanged(f, code);
    c->MousePosition(e.x, e.y);
    if (c->flags & SControl::OutlineOnHover)
        c->RefreshOutlines();
    return 0;
}

void SControlDispatch::PlaceTooltip(SControl* c)
{
    SIToolTipAnchor* a = c->tooltip;
    using P = kova::math::geom::Point<int, 2>;
    SDisplay* monitors = SDisplay::Current();
    const SDisplay::Rect bounds = monitors ? monitors->Bounds() : SDisplay::Rect();
    const SControl::Rect content = a->ContentRect();
    a->SetFlipped(false);
    ToolTipPlacement placed = PlaceToolTip(
        a->Placement(), content.Width(), content.Height(), c->Width(), c->Height(), bounds,
        [c](P p) {
            c->GetClient2Screen(p);
            return p;
        },
        [a](bool flipped) {
            a->SetFlipped(flipped);
            return a->GetOffset();
        });
    a->SetFlipped(placed.flipped);
    c->ShowTooltip(placed.point);
}

int SControlDispatch::OnExpose(Display* d, SControl* c, XExposeEvent& e)
{
    if (!c->IsMapped())
        return 0;
    XLockDisplay(d);
    XEvent later;
    const bool drained = TakeNewest(d, e.window, Expose, later);
    // The whole window is drawn once per burst: at its last event (count 0),
    // unless the rest of the burst was just taken from the queue.
    if (drained || e.count == 0) {
        c->Draw(c->clientRect);
        XFlush(d);
    }
    XUnlockDisplay(d);
    return 0;
}

int SControlDispatch::Configure(Display* d, SControl* c, XEvent* ev)
{
    XEvent newest = *ev;
    TakeNewest(d, ev->xany.window, ConfigureNotify, newest);
    const XConfigureEvent& e = newest.xconfigure;
    c->windowRect = SControl::Rect(e.x, e.y, e.x + e.width, e.y + e.height);
    c->clientRect = SControl::Rect(0, 0, e.width, e.height);
    return 0;
}

int SControlDispatch::Client(Display* d, SControl* c, XClientMessageEvent& e)
{
    char* name = XGetAtomName(d, e.message_type);
    if (!name)
        return 0;
    int result = 0;
    if (!std::strcmp(name, atoms::PaintRegion) || !std::strcmp(name, atoms::PaintArea) ||
        !std::strcmp(name, atoms::PaintOutlines)) {
        XLockDisplay(d);
        if (!std::strcmp(name, atoms::PaintRegion)) {
            // The address in items 1 and 2 (see RefreshRegion).
            c->DrawRegion(static_cast<kova::gui::context::SDrawRegion*>(atoms::JoinAddress(&e.data.l[1])));
        } else if (!std::strcmp(name, atoms::PaintArea)) {
            c->DrawArea((unsigned)e.data.l[1]);
        }
        else
            c->DrawOutlines(SControl::Rect(0, 0, c->Width(), c->Height()));
        XFlush(d);
        XUnlockDisplay(d);
        result = 1;
    } else if (!std::strcmp(name, atoms::MenuEntered) || !std::strcmp(name, atoms::MenuLeft)) {
        result = 1;
    } else if (!std::strcmp(name, atoms::Protocols)) {
        if ((c->flags & SControl::Dialog) && !(c->flags & SControl::DialogUnderRoot)) {
            c->CloseDialog();
            result = 1;
        } else if (c->flags & SControl::TopLevel) {
            c->Stop();
            result = 1;
        }
    }
    XFree(name);
    return result;
}

void SControl::MouseSetCapture()
{
    capture = this;
    if (input)
        input->flags[SInput::Captured] = true;
    Display* d = GetDisplay();
    if (!window || !d)
        return;
    int status = XGrabPointer(d, window, False, 0x207C, GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    if (status != GrabSuccess) {
        std::fprintf(stderr, "Error: Mouse Capture failed%s\n", status == GrabNotViewable ? "(win not viewable)." : ".");
        capture = nullptr;
        if (input)
            input->flags[SInput::Captured] = false;
    }
}

void SControl::MouseReleaseCapture()
{
    if (input)
        input->flags[SInput::Captured] = false;
    capture = nullptr;
    Display* d = GetDisplay();
    if (d)
        XUngrabPointer(d, CurrentTime);
}

}  // namespace kova::gui
