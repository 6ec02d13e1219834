// The mouse and keyboard state that the event dispatcher keeps per control.
#pragma once

namespace kova::gui::context {

class SInput {
public:
    // Indices into flags; the same numbers are the codes that
    // SControl::MouseStateChanged receives where a code exists.
    enum Flag {
        Entered = 0,       // code 0: the pointer came in
        Moving = 1,        // code 1: motion began
        Left = 2,          // code 2: the pointer went out
        LeftDown = 3,      // code 3
        RightDown = 4,     // code 4
        MiddleDown = 5,    // code 5
        Released = 6,      // code 6
        LeftDouble = 7,    // code 7
        RightDouble = 8,   // code 8
        MiddleDouble = 9,  // code 9
        Wheel = 13,        // code 13
        WheelUp = 14,
        WheelDown = 15,
        Inside = 16,
        Captured = 17,     // code 17: capture taken or released
        Tracking = 19,
        Alt = 20,
        Shift = 21,
        Control = 22,
        FlagCount = 23
    };

    virtual ~SInput() = default;

    // Positions -1, deltas 0, all flags false, no previous press, key state 0.
    void Reset()
    {
        lastX = lastY = -1;
        dx = dy = 0;
        for (bool& f : flags)
            f = false;
        lastButton = 0;
        lastTime = 0;
        keyState = 0;
    }

    int reserved = 0;
    int lastX = -1;
    int lastY = -1;
    int dx = 0;
    int dy = 0;
    bool flags[FlagCount] = {};
    int lastButton = 0;
    unsigned int lastTime = 0;  // X server time of the previous press; 0 = none
    int reserved2 = -1;
    int keyState = 0;
};

}  // namespace kova::gui::context
