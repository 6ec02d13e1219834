// Control events: a control notifies the controls that listen to it on one
// of thirteen numbered channels, synchronously, on the sending thread.
//
// Channels used by the toolkit are named below (EventChannel); the others
// are free for derived controls.
#pragma once

#include <ctime>
#include <vector>

namespace kova::threading {
class SMutexID;
}

namespace kova::gui {

class SControl;

// The channels the toolkit's controls send on.
enum EventChannel {
    kChannelClick = 3,       // button and label values
    kChannelValue = 5,       // value controls (dials)
    kChannelMenu = 7,        // menus
    kChannelTimer = 9,       // timer ticks: value is the timer's id
    kChannelList = 10,       // list widgets
    kChannelKeyBinding = 11, // key bindings
};

// The value of a click on kChannelClick from a label or a flash button: which
// mouse button clicked.
enum ClickValue { kClickLeft = 1, kClickMiddle = 2, kClickRight = 3 };

// The record handed to listeners. `data` points into the sender's memory and
// is valid only during the call.
class SEvent {
public:
    enum Kind { KindValue = 1, KindData = 4 };

    clock_t time = clock();
    int type = -1;
    int kind = 0;
    int value = 0;
    float fvalue = 0.0f;
    SControl* sender = nullptr;
    kova::threading::SMutexID* mutex = nullptr;  // taken around each listener call
    void* data = nullptr;
};

// One channel: its listeners, in registration order and without duplicates.
class SEventHandler {
public:
    SEventHandler() = default;
    // Appends the control unless it is present; returns its position.
    int RegisterControl(SControl* control);
    // Removes the first occurrence.
    void UnRegisterControl(SControl* control);

    std::vector<SControl*> listeners;
    int type = -1;
    bool enabled = false;
};

// The thirteen channels of one control.
class SEventManager {
public:
    static constexpr int Channels = 13;

    SEventManager();

    SEventHandler* GetEventHandler(int type);
    void EnableHandler(int type);
    void DisableHandler(int type);
    // The channel's enabled flag (informational: delivery ignores it).
    bool EventHandled(int type) const;
    // Registers the control; returns its position, or the type itself for a
    // null control or a channel out of range.
    int EnableListener(SControl* control, int type);
    void DisableListener(SControl* control, int type);

    // Calls ParseEvent(ev) on every listener of ev->type, re-reading the list
    // before each call (listeners added during the call receive the event).
    // Returns the number of listeners called.
    unsigned Deliver(SEvent* ev);

private:
    SEventHandler handlers[Channels];
};

// Present for completeness of the toolkit's interface; they do nothing.
void SendKey(int, char, bool);
void SendText(int, char*);
void SendMouse(int, int, int, int, int);

}  // namespace kova::gui
