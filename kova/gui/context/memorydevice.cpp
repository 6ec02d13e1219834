#include "kova/gui/context/memorydevice.h"

namespace kova::gui::context {

SDrawMemoryDevice::SDrawMemoryDevice(SDrawDevice* parent, SDrawBitmap* bitmap) : parent(parent)
{
    Select(bitmap);
}

SDrawMemoryDevice::~SDrawMemoryDevice()
{
    if (display && memoryGC)
        XFreeGC(display, memoryGC);
    memoryGC = nullptr;
}

void SDrawMemoryDevice::Select(SDrawBitmap* b)
{
    if (!b)
        return;
    bitmap = b;
    if (display && memoryGC)
        XFreeGC(display, memoryGC);
    memoryGC = nullptr;
    // The GC lives on the pixmap's connection. A bitmap without a pixmap
    // (an XPM that failed to load) gets no GC, so the device draws nothing
    // instead of raising a protocol error.
    display = b->GetConnection();
    if (display && b->GetPixmap())
        memoryGC = XCreateGC(display, b->GetPixmap(), 0, nullptr);
}

GC SDrawMemoryDevice::Get()
{
    return memoryGC;
}

Drawable SDrawMemoryDevice::GetDrawable()
{
    return bitmap ? bitmap->GetPixmap() : 0;
}

}  // namespace kova::gui::context
