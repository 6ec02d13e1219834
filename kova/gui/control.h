// SControl: the base of every window and widget. One control owns one X
// window, its drawing context, its mouse and keyboard state, its outgoing
// event channels and, optionally, a timer, an idle timer and tooltip data.
//
// Creation flags (bit values are part of the interface; CreationFlags names
// them):
//   0x1, 0x20 carried by some controls, no meaning here
//   0x2      set while a container has children (maintained by SWindow)
//   0x4      pointer enter and leave request RefreshOutlines()
//   0x8      a button press captures the pointer, the release ends it
//   0x10     rounded background and outline (labels, buttons)
//   0x100    dialog-type window; 0x200 top-level window
//   0x400    no window-manager size hints
//   0x800    losing the focus or Minimized() closes the menu
//   0x2000 with 0x200000: wheel events go to the owner
//   0x20000  framed: border 3, window-manager decorations kept, DrawBorder draws
//   0x40000  DrawOutlines draws; 0x80000 Draw adds the corner decoration
//   0x100000 the control has its own timer (set by CreateTimer)
//   0x400000 dialog under the root window; close request does not close it
//   0x800000 dialog selects the full event mask
//
// State bits: 0x1 enabled, 0x4 mapped, 0x8 (reserved), 0x20 tooltips on,
// 0x80 maximise mark, 0x100 focussed.
//
// Threads: controls are created and destroyed on one thread (the host's GUI
// thread). Refresh requests may come from any thread: they only send X
// events, and the drawing happens in the dispatcher under the display lock.
#pragma once

#include <X11/Xlib.h>
#include <atomic>
#include <vector>

#include "kova/data/datastring.h"
#include "kova/gui/event.h"
#include "kova/gui/input.h"
#include "kova/math/geom.h"

class SGlobals;

namespace kova::threading {
class SMutexID;
class STimer;
class STimerIdle;
}  // namespace kova::threading

namespace kova::gui::context {
class SDrawing;
class SDrawDevice;
class SDrawBitmap;
class SDrawRegion;
}  // namespace kova::gui::context

namespace kova::gui {

class SIToolTipAnchor;
class SToolTip;
class SMenu;
class SDataRaw;

// Base of the interfaces the toolkit mixes in.
class SIExtended {
public:
    virtual ~SIExtended() = default;
};

// A key the control reports on event channel 11 when it is pressed.
struct SKeyBinding {
    int reserved = 0;
    int keysym = 0;
    int modifiers = 0;  // 1 Shift, 2 Control, 4 Alt (informational)
};

class SControl : public SIExtended {
public:
    using Point = kova::math::geom::Point<int, 2>;
    using Rect = kova::math::geom::Rectangle<int, 2>;

    enum CreationFlags {
        // Carried by the plug-in's panel and value controls; the toolkit
        // gives them no meaning.
        PanelMark = 0x1,
        ValueControlMark = 0x20,
        HasChildren = 0x2,
        OutlineOnHover = 0x4,
        AutoCapture = 0x8,
        Rounded = 0x10,
        Dialog = 0x100,
        TopLevel = 0x200,
        NoSizeHints = 0x400,
        MenuOnFocus = 0x800,
        WheelToOwnerA = 0x2000,
        Framed = 0x20000,
        Outlined = 0x40000,
        Decorated = 0x80000,
        HasTimer = 0x100000,
        WheelToOwnerB = 0x200000,
        DialogUnderRoot = 0x400000,
        DialogFullEvents = 0x800000,
    };
    enum StateBits { Enabled_ = 0x1, Mapped = 0x4, Reserved8 = 0x8, TooltipsOn = 0x20, MaximiseMark = 0x80, Focussed = 0x100 };

    // An empty control without a window.
    SControl();
    // Builds the fields and creates the X window (see Create).
    SControl(SGlobals* globals, SControl* owner, unsigned int id, const char* name, int flags, int x, int y,
             int width, int height, int parentWindow, bool unused);
    ~SControl() override;
    SControl(const SControl&) = delete;
    SControl& operator=(const SControl&) = delete;

    // --- Virtual operations that controls here override ---
    virtual void CleanRessources();
    virtual void LoadControls() {}
    virtual void ReparentChildren() {}
    virtual void SetType(int) {}
    virtual void EnableChildren(bool) {}
    virtual void Reset() {}
    virtual void Toggle() {}
    virtual void Minimized();
    virtual void WindowMaximize(bool) {}
    virtual void CloseDialog() {}
    virtual void ClearState() {}
    virtual void Focussing(bool on);

    // Repaint requests: X events to the control's own window, handled by the
    // dispatcher (nothing is sent while the window is unmapped).
    virtual void Refresh();
    virtual void RefreshOutlines();
    virtual void RefreshControls(long) {}

    // Drawing hooks, called by the dispatcher under the display lock.
    virtual void Draw(const Rect& r);
    virtual void DrawRegion(kova::gui::context::SDrawRegion*) {}
    virtual void DrawArea(unsigned int) {}
    virtual void DrawOutlines(const Rect& r);
    virtual void SetBitmaps(kova::gui::context::SDrawBitmap*, kova::gui::context::SDrawBitmap*) {}

    // Mouse and keyboard state (kept by the dispatcher).
    virtual void MouseStateChanged(bool* flags, int code) { (void)flags, (void)code; }
    virtual void MousePosChanged(int dx, int dy) { (void)dx, (void)dy; }
    virtual void KeyStateChanged(int code, bool pressed, int modifiers, int keyClass)
    {
        (void)code, (void)pressed, (void)modifiers, (void)keyClass;
    }
    virtual void UpdateModifiers(int, bool);

    // Labels.
    virtual kova::data::datastring<32, char>& GetLabel();
    virtual void SetAlignment(int) {}
    virtual void SetLabelOffset(Point&) {}
    virtual void Highlight(bool, int, int, int) {}

    // Timer ticks, events and menus.
    virtual void TimerProc(int) {}
    virtual void Run() {}
    virtual void Stop() {}
    virtual void ParseEvent(SEvent*) {}
    virtual void EnableHandlers() {}
    virtual void ShowMenu(const Point&) {}
    virtual void CloseMenu() {}

    virtual void SetSize(int w, int h);
    virtual bool IsSubcontrol(unsigned int id);

    // --- Kept virtual by design; nothing here overrides them ---

    // Creates the X window, unmapped: a top-level window (0x200), a dialog
    // (0x100) or a child of the owner's window / parentWindow / the root.
    // Writes "_KOVAWND" and "_XEventProc". Returns 1, or 0 without a display.
    virtual int Create(SGlobals* globals, SControl* owner, unsigned int id, const char* name, int flags, int x,
                       int y, int width, int height, int parentWindow, bool unused);
    // The drawing context and the input record.
    virtual void CreateContexts();
    // Hides, deletes the timers, tooltip data, drawing context and input
    // record; runs once.
    virtual void CleanUp();
    virtual int PrepareCleanUp();
    // Moves the window under another X window (the root for 0), keeping its
    // position and visibility.
    virtual void Reparent(int window);
    // Copies save-under, event mask, do-not-propagate mask and
    // override-redirect from another window.
    virtual void Inherit(int window);
    virtual void Enable(bool on);
    // Maps and raises the window and requests a repaint (once).
    virtual void Show();
    virtual void Hide();
    virtual void Move(int dx, int dy);
    virtual void Move(Point& delta);
    virtual void Move(const Point& delta);
    virtual void Center();
    virtual void Center(Point& p);
    virtual void Foreground(bool);
    virtual void WindowClose() {}
    virtual void WindowMinimize(bool) {}
    virtual void CloseTip();
    virtual void Focus(bool on);
    virtual void FocusTopParent();
    virtual void ActivateOwner();
    virtual void RefreshRectangle(const Rect& r);
    virtual void RefreshRegion(kova::gui::context::SDrawRegion* region);
    virtual void RefreshArea(unsigned int area);
    virtual void DrawBorder(const Rect& r);
    // Mouse and keyboard state (kept by the dispatcher).
    virtual void MousePosition(int x, int y);
    virtual bool* MouseState();
    virtual void MouseTracker(bool) {}
    virtual bool MouseTracking();
    virtual int Modifiers(int mask);
    virtual int Key(int, bool) { return 1; }
    virtual void MouseSetCapture();
    virtual void MouseReleaseCapture();
    virtual void MousePointer(int x, int y);
    // Colours: forwarded to the drawing context.
    virtual void SetDrawingMode(bool on);
    virtual void SetBackgroundMode(bool on);
    virtual void SetBackground(int colour, bool on);
    virtual void SetBackgroundColour(bool on);
    virtual void SetBackgroundColour(int colour);
    virtual int GetBackgroundColour();
    virtual int GetForegroundColour();
    virtual void SetColours(int background, int backgroundOn, int parentBackground, int foreground,
                            int foregroundOn, int text, int textOn);
    virtual void SetTextColour(int colour);
    virtual void SetTitleColour(bool) {}
    virtual void SetTitleText(const char* text);
    virtual int GetFrameColour(bool enabled, bool on);
    virtual void SetFrameColour(int activeOff, int activeOn, int inactive);
    virtual void SetOffset(Point) {}
    virtual void SetTextSize(int) {}
    // Timers (threads of their own; see kova/threading/timer.h).
    // Replaces the control's own timer; ticks reach listeners of the timer
    // channel.
    virtual void CreateTimer(int period, bool start);
    // Creates the control's idle timer (once); the first one of the process
    // starts the shared idle thread with its period.
    virtual void CreateIdleTimer(int period, bool flag);
    // Registers fn(arg) with the shared idle thread (needs the idle timer).
    virtual void CreateIdleFunction(void (**fn)(void*), void* arg);
    virtual void DestroyIdleTimer();
    // Once it returns, the idle function is not called again.
    virtual void DestroyIdleFunction();
    virtual void StartTimer(int period);
    virtual void StopTimer(bool destroy);
    // A further timer that the caller owns; the control listens to its ticks.
    virtual kova::threading::STimer* AddTimer(int period, bool start);
    virtual void IdleProc() {}
    virtual void MenuProcess(short) {}
    virtual void ChangeMenu() {}
    // Tooltips. The control owns its tooltip data.
    virtual void SetToolTipAnchor(SIToolTipAnchor* anchor);
    virtual void ShowTooltip(const Point& rootPoint);
    virtual void HideTooltip();
    virtual void EnableTooltip(bool on);
    // Rounded corners of radius about 5 through the X Shape extension.
    virtual void SetRoundShape(bool round);

    // --- Non-virtual operations ---
    // Enabled itself and through the owner chain (or input without owner).
    bool Enabled();
    int Destroy();
    void SetPosition(int x, int y);
    void Resized(bool refresh);
    void GetClient2Screen(Point& p);
    void GetClient2Screen(int* x, int* y);
    void GetScreen2Client(Point& p);
    void GetScreen2Client(int* x, int* y);
    Point GetScreenPosition();
    Point GetTopPosition();
    kova::gui::context::SDrawDevice* GetDevice();

    // Events (see kova/gui/event.h).
    unsigned SendEvent(int type, int kind, int value, float fvalue, void* data, SControl* sender,
                       kova::threading::SMutexID* mutex);
    unsigned SendEvent(SEvent* ev);
    void* PrepareEvent(SEvent& ev, int type, int kind, int value, float fvalue, void* data, SControl* sender,
                       kova::threading::SMutexID* mutex);
    int AddEventListener(SControl* listener, int type);
    void RemoveEventListener(SControl* listener, int type);
    void EnableEventHandler(int type);
    void DisableEventHandler(int type);
    bool EventHandled(int type);

    // The dispatcher of X events of toolkit windows; hosts call it through
    // the "_XEventProc" property. 1 when consumed or refused, else 0.
    static int eventProc(XEvent* ev);
    // Reports an X protocol error on standard error and sets xerror.
    static int errorHandler(Display* display, XErrorEvent* ev);
    // One 32-bit item of a window property, 0 when absent or on error.
    static long getProperty(Window w, Atom a);
    static std::atomic<bool> xerror;

    // Drag and drop (not used by the plug-in).
    void PathReceive(int) {}
    int DragDropEnable() { return 0; }
    void DragDropDisable() {}
    SDataRaw* GetDropData() { return nullptr; }
    void SetDropData(SDataRaw*) {}
    void StartFileDrop() {}
    int GetDataID() { return 0; }
    void SetDataID(int) {}

    bool KeyPressed(int) { return false; }
    bool KeyToggled(int) { return false; }
    int KeyStateGet();
    void KeyStateSet(int mask);
    // Reports the key on event channel 11 when it is pressed.
    void AddKeyBinding(int keysym, int modifiers);

    // --- Accessors ---
    Window GetWindow() const { return window; }
    Window GetParentWindow() const { return parentWindow; }
    SGlobals* GetGlobals() const { return globals; }
    SControl* GetOwner() const { return owner; }
    unsigned int GetId() const { return id; }
    void SetId(unsigned int v) { id = v; }
    int GetTimerId() const { return timerId; }
    int GetFlags() const { return flags; }
    unsigned int GetState() const { return state; }
    bool IsMapped() const { return (state & Mapped) != 0; }
    bool IsDestroying() const { return destroying.load(); }
    const Rect& GetWindowRect() const { return windowRect; }
    const Rect& GetClientRect() const { return clientRect; }
    int Width() const { return windowRect.x1 - windowRect.x0; }
    int Height() const { return windowRect.y1 - windowRect.y0; }
    kova::gui::context::SDrawing* GetDrawing() const { return drawing; }
    kova::gui::context::SInput* GetInput() const { return input; }
    kova::threading::STimer* GetTimer() const { return timer; }
    kova::threading::STimerIdle* GetIdleTimer() const { return idleTimer; }
    SIToolTipAnchor* GetToolTipAnchor() const { return tooltip; }
    SEventManager& GetEventManager() { return events; }
    bool AcceptsMouse() const { return acceptsMouse; }
    void SetAcceptsMouse(bool on) { acceptsMouse = on; }
    void SetInputWithoutOwner(bool on) { inputWithoutOwner = on; }
    Atom GetCloseAtom() const { return closeAtom; }

    // The control that holds the mouse capture, or null.
    static SControl* capture;

protected:
    // Sends a client message of the named type to the own window.
    void SendPaintMessage(const char* type, long item1, long item2, long item3, long item4);
    // Whether the control takes mouse and keys (enabled through the owner
    // chain, or without owner).
    bool EnabledForInput();
    // XDestroyWindow with errors reported instead of fatal; window = 0.
    void DestroyXWindow();

    SGlobals* globals = nullptr;
    SControl* owner = nullptr;
    unsigned int id = 0;
    int timerId = 0;
    kova::data::datastring<32, char> label;
    Rect windowRect;
    Rect clientRect;
    int flags = 0;
    std::atomic<unsigned int> state{0x9};
    SEventManager events;
    SEvent event;
    kova::gui::context::SDrawing* drawing = nullptr;
    kova::gui::context::SInput* input = nullptr;
    kova::threading::STimer* timer = nullptr;
    kova::threading::STimerIdle* idleTimer = nullptr;
    SIToolTipAnchor* tooltip = nullptr;
    std::vector<SKeyBinding> keyBindings;
    bool acceptsMouse = false;
    std::atomic<bool> destroying{false};
    bool cleanedUp = false;
    bool inputWithoutOwner = false;
    Window window = 0;
    Window parentWindow = 0;
    Window previousFocus = 0;
    Atom closeAtom = 0;

    friend class SControlDispatch;
};

}  // namespace kova::gui
