#include "kova/gui/imagelabel.h"

#include "kova/gui/label.h"

#include "kova/gui/context/bitmap.h"
#include "kova/gui/context/drawing.h"
#include "kova/gui/context/memorydevice.h"

namespace kova::gui {

using namespace kova::gui::context;

SImageLabel::SImageLabel(SGlobals* globals, SControl* owner, int id, const char* name, int flags, int x, int y,
                         int width, int height, int parentWindow)
    : SWindow(globals, owner, (unsigned)id, name, flags, x, y, width, height, parentWindow, false)
{
}

SImageLabel::~SImageLabel()
{
    delete pictureDevice;
    pictureDevice = nullptr;
    delete picture;
    picture = nullptr;
}

void SImageLabel::LoadBackground(void* xpm, int width, int height)
{
    delete pictureDevice;
    pictureDevice = nullptr;
    delete picture;
    picture = new SDrawBitmap(xpm, width, height, false);
    pictureDevice = new SDrawMemoryDevice(drawing ? drawing->GetDevice() : nullptr, picture);
}

void SImageLabel::Draw(const Rect&)
{
    if (!pictureDevice || !drawing)
        return;
    drawing->DrawMemory(pictureDevice, Point(0, 0), Rect(0, 0, Width(), Height()));
}

void SImageLabel::MouseStateChanged(bool* state, int code)
{
    SControl::MouseStateChanged(state, code);
    if (int value = LabelClickValue(code))
        SendEvent(kChannelClick, SEvent::KindValue, value, 0.0f, nullptr, this, nullptr);
}

}  // namespace kova::gui
