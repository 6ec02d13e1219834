// Value controls.
//
// SIControllable<int>: a value range with a scale factor, 1 / (max - min)
// (1 when the range is empty).
//
// SControllable<int,false>: the generic value control, a label with a value
// range and a hover outline. It keeps the colours, the zones and the
// double buffer that value widgets (SDial) draw with:
//   - the handle rectangle is where the handle is filled and the value text
//     drawn;
//   - the handle zone is where mouse presses act (the whole control for
//     type 0x8);
//   - every draw goes into the buffer bitmap first, then to the window, so
//     the control never flickers.
// Type bits: 0x2 the label is the background, 0x4 bitmap mode (background
// and handle pictures), 0x8 the handle zone is the whole control, 0x10 a
// value zone was set.
//
// Mouse: a middle press moves the value one step towards the half of the
// handle zone it hit; a Ctrl press resets the value to its default; other
// presses start a drag (see SDial). Changes
// made by the user are reported on event channel 5 with the new value.
#pragma once

#include "kova/gui/hoverable.h"
#include "kova/gui/label.h"
#include "kova/gui/valueholder.h"

namespace kova::gui::context {
class SDrawBitmap;
class SDrawMemoryDevice;
class SDrawFont;
}  // namespace kova::gui::context

namespace kova::gui {

template <typename T>
class SIControllable : public SIValueRangeHolder<T> {
public:
    virtual void Reset() { this->ResetValue(); }

    void SetValueRange(T lo, T hi, T def) override
    {
        SIValueRangeHolder<T>::SetValueRange(lo, hi, def);
        CalcScale();
    }

    float GetScale() const { return scale; }

protected:
    void CalcScale() { scale = this->max == this->min ? 1.0f : 1.0f / (float)(this->max - this->min); }

    float scale = 1.0f;
};

template <typename T, bool Vertical>
class SControllable;

template <>
class SControllable<int, false> : public SLabel<false>, public SIControllable<int>, public SIHoverable {
public:
    enum Type { LabelBackground = 0x2, BitmapMode = 0x4, WholeHandleZone = 0x8, HasValueZone = 0x10 };

    SControllable(SGlobals* globals, SControl* owner, unsigned int id, const char* name, int flags, int x, int y,
                  int width, int height, int parentWindow, bool unused);
    ~SControllable() override;

    void Reset() override;
    // Replaces the type bits.
    void SetType(int type) override;
    // Takes both bitmaps over; bitmap mode only when both are given.
    void SetBitmaps(kova::gui::context::SDrawBitmap* background, kova::gui::context::SDrawBitmap* handle) override;
    void MouseStateChanged(bool* state, int code) override;

    virtual void SetControlColours(int a, int b, int c, int handleFill);
    virtual void SetValueColour(int colour);
    virtual int GetValueColour();
    // Not owned; no value text is drawn without one.
    virtual void SetValueFont(kova::gui::context::SDrawFont* font);
    // normal: the outline colour; hover: while the pointer is over it.
    void SetHoverColours(int normal, int hover) override;
    virtual void SetHandleZone(const Rect& zone);
    // b becomes the third control colour, a the handle fill.
    virtual void SetHandleColours(int a, int b);
    virtual void SetValueZone(const Rect& zone);
    virtual void SetValueOffset(const Point& offset);
    // Re-creates the buffer (and, in bitmap mode, the handle bitmap).
    virtual void SetDoubleBuffer();
    // The handle's left edge for the value within the handle zone.
    virtual int CalcHandleOffset();
    // One user change: up or down by amount within the range, redraw and
    // report on channel 5.
    virtual void ValueChange(bool up, int amount);
    virtual void SendControlEvent();

    int GetType() const { return type; }
    const Rect& GetHandleRect() const { return handleRect; }
    const Rect& GetHandleZone() const { return handleZone; }
    int GetControlColour(int i) const { return controlColours[i]; }
    kova::gui::context::SDrawFont* GetValueFont() const { return valueFont; }

protected:
    // The pointer in client and root coordinates, by a query to the server.
    bool QueryPointer(Point& client, Point& root);
    void DeleteBitmaps();
    void CreateBuffer();

    kova::gui::context::SDrawBitmap* backgroundBitmap = nullptr;
    kova::gui::context::SDrawBitmap* handleBitmap = nullptr;
    kova::gui::context::SDrawBitmap* bufferBitmap = nullptr;
    kova::gui::context::SDrawMemoryDevice* backgroundDevice = nullptr;
    kova::gui::context::SDrawMemoryDevice* handleDevice = nullptr;
    kova::gui::context::SDrawMemoryDevice* bufferDevice = nullptr;
    kova::gui::context::SDrawFont* valueFont = nullptr;
    int valueColour;
    int controlColours[4];
    int type = 0;
    int bufferWidth;
    int bufferHeight;
    Rect handleRect;
    Rect handleZone;
    Rect valueZone;
    int dragX = 0;
    int dragY = 0;
    Point valueOffset;
};

}  // namespace kova::gui
