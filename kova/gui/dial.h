// SDial<int>: a small box that shows an integer value, as a number or as a
// text from a table, and lets the user change it:
//   - dragging with the left button: one step per more than 5 pixels of
//     travel beyond the point of the last step (12 with the right button);
//     up raises the value;
//   - the wheel: one step;
//   - a middle click: one step up in the right half, down in the left half;
//   - a Ctrl click: back to the default.
// Every change the user makes is reported on event channel 5 (kind 1, the
// new value). SetValue from code never reports and never clamps.
//
// Gestures: a press of any button on the handle zone (a drag, a middle
// click, a Ctrl click) begins a gesture that the release, or the loss of
// the pointer capture, ends. Both are reported on GestureChannel (kind 1,
// value GestureBegins or GestureEnds), the beginning before the press
// changes the value. A wheel step holds nothing and is no gesture.
//
// With a value-text table the value indexes the table (the dial keeps it
// only when told it owns it); the value can be drawn in a special colour
// when it equals a special value (the panel's "---" in red).
#pragma once

#include "kova/gui/controllable.h"

namespace kova::gui {

template <typename T>
class SDial;

template <>
class SDial<int> : public SControllable<int, false> {
public:
    static constexpr int GestureChannel = 6;
    enum GestureValue { GestureEnds = 0, GestureBegins = 1 };

    SDial(SGlobals* globals, SControl* owner, int id, const char* name, int flags, int x, int y, int width,
          int height, bool labelBackground, bool wholeHandleZone, int parentWindow, int value, int min, int max,
          int def);
    ~SDial() override;

    void Draw(const Rect& r) override;
    void DrawOutlines(const Rect& r) override;
    void MouseStateChanged(bool* state, int code) override;
    void MousePosChanged(int dx, int dy) override;

    virtual void DrawHandle();
    virtual void DrawValue();
    // Stores v and redraws; false when v is the value already. No event.
    bool SetValue(int v, bool notify) override;
    virtual int Value2Index() { return 0; }
    virtual int Index2Value() { return 0; }

    // The texts shown for the values 0 .. count - 1; deleted with the dial
    // only when owned.
    void SetValueTexts(String* texts, int count, bool owned);
    void UseValueTexts(bool on) { useTexts = on; }
    // The value text is drawn in `colour` while the value equals `special`.
    void SetSpecialColour(int special, int colour, bool on);
    void SetThresholdDrag(bool on) { thresholdDrag = on; }
    void SetDragThresholds(int left, int right);

    // The text the dial shows for its current value.
    String ValueText() const;
    // The colour the value text is drawn in.
    int ValueTextColour();
    int ValueCount() const { return valueCount; }
    int InitialValue() const { return initialValue; }

    // The user's hand is gone without a release (the window closes under
    // it): lets go of the pointer capture and forgets the press and its
    // gesture, reporting nothing (the listener ended the gesture itself).
    // The next press begins anew.
    void LetGo();

private:
    bool HoldsCapture(const bool* state) const;
    bool PointerInHandleZone();
    void SendGesture(bool begins);

    String* valueTexts = nullptr;
    int valueTextCount = 0;
    bool valueTextsOwned = false;
    bool useTexts = false;
    int valueCount;
    int initialValue;
    int leftThreshold = 5;
    int rightThreshold = 12;
    bool thresholdDrag = true;
    int specialValue = 0;
    int specialColour = 0;
    bool useSpecialColour = false;
    bool held = false;
};

}  // namespace kova::gui
