// SButton<false>: a label that holds an integer value, changes its look with
// the value and with the pointer over it, and tells its listeners on event
// channel 3 when the value changes.
//
// Type bits (SetType):
//   0x1   a left press does nothing
//   0x2   push: on only while held; release or leaving turns it off again
//   0x4   toggling from on to off notifies the listeners (as does 0x40)
//   0x8   flash: every press sends an event; the on look lasts only while
//         the press is handled
//   0x10  menu button: a press opens the window's menu below the button
//   0x20  bitmap button (set by SetBitmaps when both pictures exist)
//   0x40  as 0x4
// Push (2): a left press sends one event with 1; the release sets it back to
// 0 without an event. Toggle (4): each left press flips the value and sends
// the new value. Flash (8): a left press sends 1 and the button is back at 0
// before the handler returns.
#pragma once

#include "kova/gui/hoverable.h"
#include "kova/gui/label.h"
#include "kova/gui/valueholder.h"

namespace kova::gui::context {
class SDrawBitmap;
class SDrawMemoryDevice;
}  // namespace kova::gui::context

namespace kova::gui {

template <bool Vertical>
class SButton;

template <>
class SButton<false> : public SLabel<false>, public SIHoverable, public SIValueHolder<int> {
public:
    enum Type { NoLeftPress = 0x1, Push = 0x2, NotifyOff = 0x4, Flash = 0x8, Menu = 0x10, Bitmap = 0x20, NotifyOff2 = 0x40 };

    SButton(SGlobals* globals, SControl* owner, unsigned int id, const char* name, int flags, int x, int y,
            int width, int height, int parentWindow, bool unused);
    ~SButton() override;

    void SetType(int type) override;
    // SetValue(0, true), then ignore the next press of a menu button.
    void Reset() override;
    void Toggle() override;
    // Drops capture, hover and input state; a push button goes back to 0.
    void ClearState() override;
    void Draw(const Rect& r) override;
    void DrawOutlines(const Rect& r) override;
    // Takes both pictures over; a bitmap button only when both have pixmaps.
    void SetBitmaps(kova::gui::context::SDrawBitmap* off, kova::gui::context::SDrawBitmap* on) override;
    void MouseStateChanged(bool* state, int code) override;
    // Also makes `active` the on-state caption colour.
    void SetLabelColours(int active, int inactive) override;
    // Inactive colour when disabled, the on-state colour at value 1, else the
    // active colour.
    int GetLabelColour() override;
    void DrawLabel() override;

    void SetHoverColours(int off, int on) override;
    // The caption colour at value 1 (call after SetLabelColours).
    virtual void SetLabelColourActive(int colour);
    // A caption shown instead of the lines at value 1 when `use` is set.
    virtual void SetLabelAlternative(const char* text, bool use);
    virtual void SetBitmaps(void* offXpm, void* onXpm, int width, int height);
    // Stores v, switches the look, redraws and, with notify, sends
    // (3, kind 1, value). False when v is the value already.
    bool SetValue(int v, bool notify) override;
    int GetValue() override;

    int GetType() const { return type; }
    int GetLabelColourOn() const { return labelColourOn; }

private:
    // Writes whether the pointer is inside (edges included) to flag 16 and
    // to hovered.
    void ComputeInside(bool* state);
    void DeletePictures();
    // Draws the button from offPicture and onPicture, both loaded.
    void UsePictures();

    int type = Push;
    int labelColourOn;
    String alternative;
    bool useAlternative = false;
    kova::gui::context::SDrawBitmap* offPicture = nullptr;
    kova::gui::context::SDrawBitmap* onPicture = nullptr;
    kova::gui::context::SDrawMemoryDevice* offDevice = nullptr;
    kova::gui::context::SDrawMemoryDevice* onDevice = nullptr;
};

}  // namespace kova::gui
