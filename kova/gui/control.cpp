#include "kova/gui/control.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>

#include "kova/gui/atoms.h"
#include "kova/gui/connection.h"
#include "kova/gui/context/drawing.h"
#include "kova/gui/context/staticdata.h"
#include "kova/gui/dispatchguard.h"
#include "kova/gui/display.h"
#include "kova/gui/eventproctrampoline.h"
#include "kova/gui/globals.h"
#include "kova/gui/tooltipanchor.h"
#include "kova/gui/xerror.h"
#include "kova/threading/timer.h"

namespace kova::gui {

using kova::gui::context::SDrawing;
using kova::gui::context::SInput;

SControl* SControl::capture = nullptr;

// ------------------------------------------------------------ live controls

namespace {

std::recursive_mutex& DispatchMutex()
{
    static std::recursive_mutex m;
    return m;
}

std::set<const SControl*>& LiveControls()
{
    static std::set<const SControl*> live;
    return live;
}

unsigned long WindowOfControl(const SControl* control)
{
    return control->GetWindow();
}

void DeliverTick(SControl* control, int timerId, long time)
{
    if (control->IsDestroying())
        return;
    // A fresh record per tick: listeners may delete the timer during the call.
    SEvent tick;
    tick.type = kChannelTimer;
    tick.kind = SEvent::KindValue;
    tick.value = timerId;
    tick.sender = control;
    tick.time = (clock_t)time;
    control->SendEvent(&tick);
}

// The layers below the controls reach them through hooks: the drawing
// context finds a control's window, a timer's tick its control. Every
// control's registration installs them (idempotent), so they are in place
// before any context draws on a control or any timer ticks.
void InstallControlHooks()
{
    context::SDrawing::SetWindowHook(&WindowOfControl);
    kova::threading::SetTickHook(&DeliverTick);
}

void Register(const SControl* c)
{
    InstallControlHooks();
    std::lock_guard<std::recursive_mutex> lock(DispatchMutex());
    LiveControls().insert(c);
}

void Unregister(const SControl* c)
{
    std::lock_guard<std::recursive_mutex> lock(DispatchMutex());
    LiveControls().erase(c);
}

// What a control's window selects: keys, buttons, crossing, motion,
// exposure, visibility, structure, focus, property, owner-grab-button.
const long EventMask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | EnterWindowMask |
                       LeaveWindowMask | PointerMotionMask | ButtonMotionMask | ExposureMask |
                       VisibilityChangeMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask |
                       OwnerGrabButtonMask;
static_assert(EventMask == 0x163A07F, "the event mask hosts have always seen");
// What a dialog without the full mask selects: exposure, structure, focus.
const long DialogEventMask = ExposureMask | StructureNotifyMask | FocusChangeMask;
static_assert(DialogEventMask == 0x228000, "the dialog mask hosts have always seen");

Window RootOf(Display* d)
{
    return RootWindow(d, DefaultScreen(d));
}

void SetNames(Display* d, Window w, const char* name)
{
    XTextProperty text;
    text.value = reinterpret_cast<unsigned char*>(const_cast<char*>(name));
    text.encoding = XA_STRING;
    text.format = 8;
    text.nitems = std::strlen(name);
    XSetWMName(d, w, &text);
    XSetWMIconName(d, w, &text);
    XStoreName(d, w, name);
    XSetIconName(d, w, name);
}

// One 32-bit item (or a list of atoms) typed as given.
void PutLongs(Display* d, Window w, Atom property, Atom type, const long* items, int count)
{
    XChangeProperty(d, w, property, type, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(items),
                    count);
}

// Asks window managers not to decorate the window; each hint only when the
// server knows its atom.
void RemoveDecorations(Display* d, Window w)
{
    Atom motif = XInternAtom(d, "_MOTIF_WM_HINTS", True);
    if (motif != None) {
        const long hints[4] = {2, 0, 0, 0};  // flags: decorations valid; decorations: none
        PutLongs(d, w, motif, motif, hints, 4);
    }
    Atom win = XInternAtom(d, "_WIN_HINTS", True);
    if (win != None) {
        const long v = 0;
        PutLongs(d, w, win, XA_CARDINAL, &v, 1);
    }
    Atom kwm = XInternAtom(d, "KWM_WIN_DECORATION", True);
    if (kwm != None) {
        const long v = 2;
        PutLongs(d, w, kwm, kwm, &v, 1);
    }
    Atom type = XInternAtom(d, "_NET_WM_WINDOW_TYPE", True);
    Atom over = XInternAtom(d, "_KDE_NET_WM_WINDOW_TYPE_OVERRIDE", True);
    Atom normal = XInternAtom(d, "_NET_WM_WINDOW_TYPE_NORMAL", True);
    if (type != None && over != None && normal != None) {
        const long types[2] = {(long)over, (long)normal};
        PutLongs(d, w, type, XA_ATOM, types, 2);
    }
}

}  // namespace

SDispatchGuard::SDispatchGuard()
{
    DispatchMutex().lock();
}

SDispatchGuard::~SDispatchGuard()
{
    DispatchMutex().unlock();
}

bool IsLiveControl(const SControl* c)
{
    std::lock_guard<std::recursive_mutex> lock(DispatchMutex());
    return LiveControls().count(c) != 0;  // null is never registered
}

// ------------------------------------------------------------ construction

SControl::SControl()
{
    Register(this);
}

SControl::SControl(SGlobals* g, SControl* o, unsigned int i, const char* name, int f, int x, int y, int width,
                   int height, int parentWin, bool unused)
{
    Register(this);
    Create(g, o, i, name, f, x, y, width, height, parentWin, unused);
}

SControl::~SControl()
{
    destroying = true;
    SControl::CleanUp();
    Unregister(this);
    if (capture == this)
        capture = nullptr;
    DestroyXWindow();
}

void SControl::DestroyXWindow()
{
    Display* d = GetDisplay();
    if (window && d) {
        // The server may have destroyed the window with its parent (a host
        // closing its window): the error is reported, not fatal. The sync
        // also collects an error of the unmapping just before.
        SXErrorTrap trap(d);
        XDestroyWindow(d, window);
        XSync(d, False);
    }
    window = 0;
}

int SControl::Create(SGlobals* g, SControl* o, unsigned int i, const char* name, int f, int x, int y, int width,
                     int height, int parentWin, bool)
{
    globals = g;
    owner = o;
    flags = f;
    id = i;
    state |= Mapped;  // so that the Hide() below unmaps
    label.Clear(false);
    label.Append(name ? name : "");
    windowRect = Rect(x, y, x + width, y + height);
    clientRect = Rect(0, 0, width, height);
    previousFocus = 0;
    inputWithoutOwner = false;
    destroying = false;
    cleanedUp = false;
    acceptsMouse = true;

    Display* d = GetDisplay();
    if (!d) {
        state &= ~Mapped;
        return 0;
    }
    // X refuses windows of size 0.
    const unsigned w = (unsigned)std::max(1, width);
    const unsigned h = (unsigned)std::max(1, height);
    const Window root = RootOf(d);
    const bool framed = (flags & Framed) != 0;

    XSetWindowAttributes attrs{};
    attrs.event_mask = EventMask;
    if (flags & TopLevel) {
        parentWindow = root;
        attrs.save_under = True;
        attrs.override_redirect = framed ? False : True;
        window = XCreateWindow(d, parentWindow, x, y, w, h, framed ? 3 : 0, CopyFromParent, CopyFromParent,
                               CopyFromParent, CWOverrideRedirect | CWSaveUnder | CWEventMask, &attrs);
    } else if (flags & Dialog) {
        parentWindow = root;
        if (!(flags & DialogUnderRoot)) {
            if (owner && owner->window)
                parentWindow = owner->window;
            else if (parentWin)
                parentWindow = (Window)(unsigned)parentWin;
        }
        attrs.save_under = True;
        attrs.do_not_propagate_mask = 0x200F;
        attrs.override_redirect = framed ? False : True;
        const int screen = DefaultScreen(d);
        window = XCreateWindow(d, parentWindow, x, y, w, h, framed ? 3 : 0, DefaultDepth(d, screen), InputOutput,
                               DefaultVisual(d, screen),
                               CWOverrideRedirect | CWSaveUnder | CWEventMask | CWDontPropagate, &attrs);
        XSelectInput(d, window, (flags & DialogFullEvents) ? EventMask : DialogEventMask);
    } else {
        XFlush(d);
        if (owner && owner->window)
            parentWindow = owner->window;
        else if (parentWin)
            parentWindow = (Window)(unsigned)parentWin;
        else
            parentWindow = root;
        attrs.override_redirect = True;
        window = XCreateWindow(d, parentWindow, x, y, w, h, 0, CopyFromParent, InputOutput, CopyFromParent,
                               CWOverrideRedirect | CWEventMask, &attrs);
    }
    if (!window) {
        state &= ~Mapped;
        return 0;
    }

    if (flags & (TopLevel | Dialog)) {
        closeAtom = XInternAtom(d, atoms::DeleteWindow, True);
        if (closeAtom != None)
            XSetWMProtocols(d, window, &closeAtom, 1);
        SetNames(d, window, label.c_str());
        if (!(flags & NoSizeHints)) {
            XSizeHints hints{};
            hints.flags = PSize | PMinSize | PMaxSize | PResizeInc;
            hints.width = hints.min_width = hints.max_width = (int)w;
            hints.height = hints.min_height = hints.max_height = (int)h;
            hints.width_inc = hints.height_inc = 0;
            XSetWMNormalHints(d, window, &hints);
        }
    }
    if (!framed)
        RemoveDecorations(d, window);

    Atom kova = XInternAtom(d, atoms::KovaWindow, False);
    long items[2];
    atoms::SplitAddress(this, items);
    PutLongs(d, window, kova, kova, items, atoms::AddressItems);
    if (long proc = EventProcAddress()) {
        Atom procAtom = XInternAtom(d, atoms::EventProc, False);
        PutLongs(d, window, procAtom, procAtom, &proc, 1);
    }

    CreateContexts();
    Hide();
    return 1;
}

void SControl::CreateContexts()
{
    if (!drawing && window)
        drawing = new SDrawing(this, globals);
    if (!input)
        input = new SInput();
}

void SControl::CleanRessources()
{
    destroying = true;
}

void SControl::CleanUp()
{
    if (cleanedUp)
        return;
    destroying = true;
    Display* d = GetDisplay();
    if (d && window) {
        // The window may already be gone on the server (destroyed with a
        // host's window): report, don't die.
        SXErrorTrap trap(d);
        PrepareCleanUp();
        XSync(d, False);
    } else {
        PrepareCleanUp();
    }
    DestroyIdleTimer();
    StopTimer(true);
    if ((flags & AutoCapture) && input) {
        if (input->flags[SInput::Captured])
            MouseReleaseCapture();
        input->Reset();
    }
    delete tooltip;
    tooltip = nullptr;
    delete drawing;
    drawing = nullptr;
    delete input;
    input = nullptr;
    cleanedUp = true;
}

int SControl::PrepareCleanUp()
{
    if (!window)
        return 0;
    Hide();
    return 1;
}

int SControl::Destroy()
{
    destroying = true;
    CleanUp();
    if (capture == this)
        capture = nullptr;
    DestroyXWindow();
    return 0;
}

// ------------------------------------------------------------ windowing

void SControl::Reparent(int w)
{
    Display* d = GetDisplay();
    if (!d || !window)
        return;
    const bool visible = IsMapped();
    Hide();
    parentWindow = w ? (Window)(unsigned)w : RootOf(d);
    XReparentWindow(d, window, parentWindow, windowRect.x0, windowRect.y0);
    if (visible)
        Show();
}

void SControl::Inherit(int w)
{
    Display* d = GetDisplay();
    if (!d || !window || !w)
        return;
    XWindowAttributes from;
    if (!XGetWindowAttributes(d, (Window)(unsigned)w, &from))
        return;
    XSetWindowAttributes attrs{};
    attrs.save_under = from.save_under;
    attrs.event_mask = from.all_event_masks;
    attrs.do_not_propagate_mask = from.do_not_propagate_mask;
    attrs.override_redirect = from.override_redirect;
    XChangeWindowAttributes(d, window, CWSaveUnder | CWEventMask | CWDontPropagate | CWOverrideRedirect, &attrs);
}

void SControl::Enable(bool on)
{
    if (on)
        state |= Enabled_;
    else
        state &= ~Enabled_;
    Refresh();
}

void SControl::Show()
{
    if (IsMapped())
        return;
    Display* d = GetDisplay();
    if (!d || !window)
        return;
    XMapRaised(d, window);
    state |= Mapped;
    Refresh();
}

void SControl::Hide()
{
    if (!IsMapped())
        return;
    Display* d = GetDisplay();
    if (d && window)
        XUnmapWindow(d, window);
    state &= ~Mapped;
}

void SControl::Move(int dx, int dy)
{
    windowRect = Rect(windowRect.x0 + dx, windowRect.y0 + dy, windowRect.x1 + dx, windowRect.y1 + dy);
    Display* d = GetDisplay();
    if (d && window)
        XMoveWindow(d, window, windowRect.x0, windowRect.y0);
}

void SControl::Move(Point& delta)
{
    Move(delta.x, delta.y);
}

void SControl::Move(const Point& delta)
{
    Move(delta.x, delta.y);
}

void SControl::Center()
{
    if (SDisplay* monitors = SDisplay::Current())
        monitors->CenterOnWindow(this);
}

void SControl::Center(Point& p)
{
    if (SDisplay* monitors = SDisplay::Current())
        monitors->CenterOnWindow(this, p);
}

void SControl::Foreground(bool)
{
    Display* d = GetDisplay();
    if (d && window)
        XRaiseWindow(d, window);
}

void SControl::Minimized()
{
    if (flags & MenuOnFocus)
        CloseMenu();
}

void SControl::CloseTip()
{
    if (tooltip)
        tooltip->Close();
}

void SControl::Focussing(bool on)
{
    if (on)
        state |= Focussed;
    else
        state &= ~Focussed;
}

void SControl::Focus(bool on)
{
    Display* d = GetDisplay();
    if (destroying || !IsMapped() || !d || !window)
        return;
    // Focusing a window that cannot be seen (its parent is unmapped) is a
    // protocol error that would end a process without an error handler.
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, window, &a) || a.map_state != IsViewable)
        return;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (on) {
        if (focus == window)
            return;
        previousFocus = focus;
        XSetInputFocus(d, window, RevertToNone, CurrentTime);
    } else if (focus == window) {
        // Without a remembered window the focus follows the pointer again
        // rather than going nowhere.
        XSetInputFocus(d, previousFocus ? previousFocus : PointerRoot, RevertToNone, CurrentTime);
    }
}

void SControl::FocusTopParent()
{
    Display* d = GetDisplay();
    if (!d || !globals)
        return;
    Window host = globals->hostWindow;
    if (!host)
        return;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, host, &root, &parent, &children, &count))
        return;
    if (children)
        XFree(children);
    XSetInputFocus(d, parent == root ? host : parent, RevertToParent, CurrentTime);
}

void SControl::ActivateOwner()
{
    if (owner)
        owner->Focus(true);
}

// ------------------------------------------------------------ repaint requests

void SControl::Refresh()
{
    Display* d = GetDisplay();
    if (!IsMapped() || !d || !window)
        return;
    XEvent ev{};
    ev.xexpose.type = Expose;
    ev.xexpose.window = window;
    ev.xexpose.x = 0;
    ev.xexpose.y = 0;
    ev.xexpose.width = Width();
    ev.xexpose.height = Height();
    ev.xexpose.count = 0;
    XSendEvent(d, window, False, ExposureMask, &ev);
    XFlush(d);
}

void SControl::RefreshRectangle(const Rect& r)
{
    Display* d = GetDisplay();
    if (!IsMapped() || !d || !window)
        return;
    XEvent ev{};
    ev.xexpose.type = Expose;
    ev.xexpose.window = window;
    ev.xexpose.x = r.x0;
    ev.xexpose.y = r.y0;
    ev.xexpose.width = r.x1 - r.x0;
    ev.xexpose.height = r.y1 - r.y0;
    ev.xexpose.count = 0;
    XSendEvent(d, window, False, ExposureMask, &ev);
}

void SControl::SendPaintMessage(const char* type, long item1, long item2, long item3, long item4)
{
    Display* d = GetDisplay();
    if (!IsMapped() || !d || !window)
        return;
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = XInternAtom(d, type, False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = 0;
    ev.xclient.data.l[1] = item1;
    ev.xclient.data.l[2] = item2;
    ev.xclient.data.l[3] = item3;
    ev.xclient.data.l[4] = item4;
    XSendEvent(d, window, False, 0, &ev);
    // Requests from timer threads would otherwise wait in the output buffer
    // until something else flushes the connection.
    XFlush(d);
}

void SControl::RefreshOutlines()
{
    SendPaintMessage(atoms::PaintOutlines, 0, 0, Width(), Height());
}

void SControl::RefreshRegion(kova::gui::context::SDrawRegion* region)
{
    // The address in items 1 and 2.
    long items[2];
    atoms::SplitAddress(region, items);
    SendPaintMessage(atoms::PaintRegion, items[0], items[1], 0, 0);
}

void SControl::RefreshArea(unsigned int area)
{
    SendPaintMessage(atoms::PaintArea, (long)area, 0, 0, 0);
}

// ------------------------------------------------------------ drawing hooks

void SControl::Draw(const Rect& r)
{
    if (!drawing)
        return;
    drawing->DrawBackground(r, false);
    if ((flags & Decorated) && statdata && statdata->ColoursReady()) {
        const int black = statdata->Colour(20);
        drawing->SetPen(statdata->FindPen(black));
        drawing->SetBrush(statdata->FindBrush(black));
        drawing->FillRect(r.x0, r.y0, r.x1, r.y0 + 10);
        drawing->FillRect(r.x0, r.y0, r.x0 + 10, r.y1);
        drawing->FillRect(r.x1 - 10, r.y0, r.x1, r.y1);
        drawing->FillRect(r.x0, r.y1 - 10, r.x1, r.y1);
        const int blue = statdata->Colour(10);
        drawing->SetPen(statdata->FindPen(blue));
        drawing->SetBrush(statdata->FindBrush(blue));
        drawing->DrawRect(r);
        drawing->FillRect(r.x0 + 1, r.y0 + 1, r.x0 + 10, r.y0 + 10);
    }
    DrawOutlines(r);
}

void SControl::DrawOutlines(const Rect& r)
{
    if (!(flags & Outlined) || !drawing || !statdata)
        return;
    drawing->SetPen(statdata->FindPen(GetFrameColour(Enabled(), false)));
    drawing->DrawRect(r);
}

void SControl::DrawBorder(const Rect& r)
{
    if (!(flags & Framed) || !drawing || !statdata || !statdata->ColoursReady())
        return;
    const int black = statdata->Colour(20);
    drawing->SetPen(statdata->FindPen(black));
    drawing->SetBrush(statdata->FindBrush(black));
    drawing->FillRect(r);
}

// ------------------------------------------------------------ input state

void SControl::MousePosition(int x, int y)
{
    if (!input)
        return;
    if (x == input->lastX && y == input->lastY) {
        input->dx = input->dy = 0;
        input->flags[SInput::Moving] = false;
        return;
    }
    input->dx = x - input->lastX;
    input->dy = y - input->lastY;
    input->lastX = x;
    input->lastY = y;
    input->flags[SInput::Moving] = true;
    MousePosChanged(input->dx, input->dy);
}

bool* SControl::MouseState()
{
    return input ? input->flags : nullptr;
}

bool SControl::MouseTracking()
{
    return input && input->flags[SInput::Tracking];
}

int SControl::Modifiers(int mask)
{
    if (input) {
        input->flags[SInput::Shift] = (mask & ShiftMask) != 0;
        input->flags[SInput::Control] = (mask & ControlMask) != 0;
        input->flags[SInput::Alt] = (mask & Mod1Mask) != 0;
    }
    return mask;
}

void SControl::UpdateModifiers(int, bool)
{
    if (input)
        Modifiers(input->keyState);
}

int SControl::KeyStateGet()
{
    return input ? input->keyState : 0;
}

void SControl::KeyStateSet(int mask)
{
    if (!input)
        return;
    Modifiers(mask);
    input->keyState = mask;
}

void SControl::AddKeyBinding(int keysym, int modifiers)
{
    SKeyBinding b;
    b.keysym = keysym;
    b.modifiers = modifiers;
    keyBindings.push_back(b);
}

void SControl::MousePointer(int x, int y)
{
    Display* d = GetDisplay();
    if (d && window)
        XWarpPointer(d, None, window, 0, 0, 0, 0, x, y);
}

// ------------------------------------------------------------ colours

void SControl::SetDrawingMode(bool on)
{
    if (drawing) {
        drawing->SetBackgroundColour(on);
        drawing->SetForegroundColour(on);
    }
}

void SControl::SetBackgroundMode(bool on)
{
    if (drawing)
        drawing->SetBackgroundMode(on);
}

void SControl::SetBackground(int colour, bool on)
{
    if (drawing)
        drawing->SetBackground(colour, on);
}

void SControl::SetBackgroundColour(bool on)
{
    if (drawing)
        drawing->SetBackgroundColour(on);
}

void SControl::SetBackgroundColour(int colour)
{
    if (drawing)
        drawing->SetBackgroundColour(colour);
}

int SControl::GetBackgroundColour()
{
    return drawing ? drawing->GetBackgroundColour() : 0;
}

int SControl::GetForegroundColour()
{
    return drawing ? drawing->GetForegroundColour() : 0;
}

void SControl::SetColours(int background, int backgroundOn, int parentBackground, int foreground, int foregroundOn,
                          int text, int textOn)
{
    if (drawing)
        drawing->SetColours(background, backgroundOn, parentBackground, foreground, foregroundOn, text, textOn);
}

void SControl::SetTextColour(int colour)
{
    if (drawing)
        drawing->SetTextColour(colour);
}

void SControl::SetTitleText(const char* text)
{
    Display* d = GetDisplay();
    if (d && window && text)
        SetNames(d, window, text);
}

int SControl::GetFrameColour(bool enabled, bool on)
{
    return drawing ? drawing->GetFrameColour(enabled, on) : 0;
}

void SControl::SetFrameColour(int activeOff, int activeOn, int inactive)
{
    if (drawing)
        drawing->SetFrameColour(activeOff, activeOn, inactive);
}

kova::data::datastring<32, char>& SControl::GetLabel()
{
    return label;
}

// ------------------------------------------------------------ timers

void SControl::CreateTimer(int period, bool start)
{
    StopTimer(true);
    flags |= HasTimer;
    timerId = globals ? globals->NextId() : 0;
    timer = new kova::threading::STimer(this, (unsigned)timerId, 0);
    if (start)
        timer->Start((unsigned)period);
}

kova::threading::STimer* SControl::AddTimer(int period, bool start)
{
    EnableEventHandler(kChannelTimer);
    AddEventListener(this, kChannelTimer);
    const int tid = globals ? globals->NextId() : 0;
    auto* t = new kova::threading::STimer(this, (unsigned)tid, 0);
    if (start)
        t->Start((unsigned)period);
    return t;
}

void SControl::CreateIdleTimer(int period, bool flag)
{
    if (idleTimer)
        return;
    const int tid = globals ? globals->NextId() : 0;
    idleTimer = new kova::threading::STimerIdle(this, tid, period, flag);
}

void SControl::CreateIdleFunction(void (**fn)(void*), void* arg)
{
    if (idleTimer)
        idleTimer->SetFunction(fn, arg);
}

void SControl::DestroyIdleTimer()
{
    kova::threading::STimerIdle* t = idleTimer;
    idleTimer = nullptr;
    delete t;
}

void SControl::DestroyIdleFunction()
{
    if (idleTimer)
        idleTimer->RemoveFunction();
}

void SControl::StartTimer(int period)
{
    if (timer)
        timer->Start((unsigned)period);
}

void SControl::StopTimer(bool destroy)
{
    if (!timer)
        return;
    timer->Stop();
    if (destroy) {
        delete timer;
        timer = nullptr;
        timerId = 0;
    }
}

// ------------------------------------------------------------ tooltips

void SControl::SetToolTipAnchor(SIToolTipAnchor* anchor)
{
    if (tooltip != anchor)
        delete tooltip;
    tooltip = anchor;
}

void SControl::ShowTooltip(const Point& p)
{
    if (tooltip)
        tooltip->Open(p);
}

void SControl::HideTooltip()
{
    if (tooltip)
        tooltip->Close();
}

void SControl::EnableTooltip(bool on)
{
    if (on)
        state |= TooltipsOn;
    else
        state &= ~TooltipsOn;
}

// ------------------------------------------------------------ geometry

void SControl::SetSize(int w, int h)
{
    windowRect.x1 = windowRect.x0 + w;
    windowRect.y1 = windowRect.y0 + h;
    clientRect.x1 = clientRect.x0 + w;
    clientRect.y1 = clientRect.y0 + h;
    Display* d = GetDisplay();
    if (d && window)
        XResizeWindow(d, window, (unsigned)std::max(1, w), (unsigned)std::max(1, h));
}

bool SControl::IsSubcontrol(unsigned int i)
{
    return i == id;
}

void SControl::SetRoundShape(bool round)
{
    Display* d = GetDisplay();
    if (!d || !window)
        return;
    if (!round) {
        XShapeCombineMask(d, window, ShapeBounding, 0, 0, None, ShapeSet);
        return;
    }
    const short w = (short)Width();
    const short h = (short)Height();
    Region full = XCreateRegion();
    Region cut = XCreateRegion();
    Region shape = XCreateRegion();
    XRectangle all = {0, 0, (unsigned short)w, (unsigned short)h};
    XUnionRectWithRegion(&all, full, full);
    // Per corner, counted from its horizontal edge: rows 0, 1, 2 lose 5, 3
    // and 2 pixels, rows 3 and 4 one pixel.
    struct Piece {
        short row, width, rows;
    };
    const Piece pieces[] = {{0, 5, 1}, {1, 3, 1}, {2, 2, 1}, {3, 1, 2}};
    for (const Piece& p : pieces) {
        const short top = p.row;
        const short bottom = (short)(h - p.row - p.rows);
        const short left = 0;
        const short right = (short)(w - p.width);
        XRectangle r[4] = {{left, top, (unsigned short)p.width, (unsigned short)p.rows},
                           {right, top, (unsigned short)p.width, (unsigned short)p.rows},
                           {left, bottom, (unsigned short)p.width, (unsigned short)p.rows},
                           {right, bottom, (unsigned short)p.width, (unsigned short)p.rows}};
        for (XRectangle& x : r)
            XUnionRectWithRegion(&x, cut, cut);
    }
    XSubtractRegion(full, cut, shape);
    XShapeCombineRegion(d, window, ShapeBounding, 0, 0, shape, ShapeSet);
    XDestroyRegion(full);
    XDestroyRegion(cut);
    XDestroyRegion(shape);
}

bool SControl::Enabled()
{
    if (!(state & Enabled_))
        return false;
    return !owner || owner->Enabled() || inputWithoutOwner;
}

bool SControl::EnabledForInput()
{
    return Enabled();
}

void SControl::SetPosition(int x, int y)
{
    const int w = Width();
    const int h = Height();
    windowRect = Rect(x, y, x + w, y + h);
    Display* d = GetDisplay();
    if (d && window)
        XMoveWindow(d, window, x, y);
}

void SControl::Resized(bool refresh)
{
    Display* d = GetDisplay();
    if (!d || !window)
        return;
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, window, &a))
        return;
    windowRect = Rect(a.x, a.y, a.x + a.width, a.y + a.height);
    clientRect = Rect(0, 0, a.width, a.height);
    if (refresh)
        Refresh();
}

void SControl::GetClient2Screen(Point& p)
{
    GetClient2Screen(&p.x, &p.y);
}

void SControl::GetClient2Screen(int* x, int* y)
{
    Display* d = GetDisplay();
    if (!d || !window)
        return;
    Window child = 0;
    int rx = 0, ry = 0;
    if (XTranslateCoordinates(d, window, RootOf(d), *x, *y, &rx, &ry, &child)) {
        *x = rx;
        *y = ry;
    }
}

void SControl::GetScreen2Client(Point& p)
{
    GetScreen2Client(&p.x, &p.y);
}

void SControl::GetScreen2Client(int* x, int* y)
{
    Display* d = GetDisplay();
    if (!d || !window)
        return;
    Window child = 0;
    int wx = 0, wy = 0;
    if (XTranslateCoordinates(d, RootOf(d), window, *x, *y, &wx, &wy, &child)) {
        *x = wx;
        *y = wy;
    }
}

SControl::Point SControl::GetScreenPosition()
{
    Display* d = GetDisplay();
    XWindowAttributes a;
    if (!d || !window || !XGetWindowAttributes(d, window, &a))
        return Point(0, 0);
    return Point(a.x, a.y);
}

SControl::Point SControl::GetTopPosition()
{
    Display* d = GetDisplay();
    if (!d || !window)
        return Point(0, 0);
    Window w = window;
    for (;;) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, w, &root, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            break;
        w = parent;
    }
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a))
        return Point(0, 0);
    return Point(a.x, a.y);
}

kova::gui::context::SDrawDevice* SControl::GetDevice()
{
    return drawing ? drawing->GetDevice() : nullptr;
}

// ------------------------------------------------------------ events

unsigned SControl::SendEvent(int type, int kind, int value, float fvalue, void* data, SControl* sender,
                             kova::threading::SMutexID* mutex)
{
    event.time = clock();
    PrepareEvent(event, type, kind, value, fvalue, data, sender, mutex);
    if (type < 0 || type >= SEventManager::Channels)
        return 0;
    return events.Deliver(&event);
}

unsigned SControl::SendEvent(SEvent* ev)
{
    if (!ev || ev->type < 0 || ev->type >= SEventManager::Channels)
        return 0;
    return events.Deliver(ev);
}

void* SControl::PrepareEvent(SEvent& ev, int type, int kind, int value, float fvalue, void* data, SControl* sender,
                             kova::threading::SMutexID* mutex)
{
    ev.type = type;
    ev.kind = kind;
    ev.value = value;
    ev.fvalue = fvalue;
    ev.data = data;
    ev.sender = sender;
    ev.mutex = mutex;
    return data;
}

int SControl::AddEventListener(SControl* listener, int type)
{
    return events.EnableListener(listener, type);
}

void SControl::RemoveEventListener(SControl* listener, int type)
{
    events.DisableListener(listener, type);
}

void SControl::EnableEventHandler(int type)
{
    events.EnableHandler(type);
}

void SControl::DisableEventHandler(int type)
{
    events.DisableHandler(type);
}

bool SControl::EventHandled(int type)
{
    return events.EventHandled(type);
}

}  // namespace kova::gui
