// SImageLabel: a window that shows a picture built into the program (an XPM
// image), copied 1:1 from the top-left corner. Clicks are reported on event
// channel 3 like a label's: 1 left, 2 middle, 3 right.
#pragma once

#include "kova/gui/window.h"

namespace kova::gui::context {
class SDrawBitmap;
class SDrawMemoryDevice;
}  // namespace kova::gui::context

namespace kova::gui {

class SImageLabel : public SWindow {
public:
    SImageLabel(SGlobals* globals, SControl* owner, int id, const char* name, int flags, int x, int y, int width,
                int height, int parentWindow);
    ~SImageLabel() override;

    void Draw(const Rect& r) override;
    void MouseStateChanged(bool* state, int code) override;
    // Replaces the picture; nothing is redrawn. A picture that cannot be
    // loaded leaves a 1 x 1 bitmap.
    virtual void LoadBackground(void* xpm, int width, int height);

    kova::gui::context::SDrawBitmap* GetPicture() const { return picture; }

private:
    kova::gui::context::SDrawBitmap* picture = nullptr;
    kova::gui::context::SDrawMemoryDevice* pictureDevice = nullptr;
};

}  // namespace kova::gui
