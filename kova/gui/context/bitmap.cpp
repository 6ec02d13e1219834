#include "kova/gui/context/bitmap.h"

#include <X11/xpm.h>

#include "kova/gui/connection.h"

namespace kova::gui::context {

SDrawBitmap::SDrawBitmap() = default;

SDrawBitmap::SDrawBitmap(void* xpm, int w, int h, bool f)
{
    Create(xpm, w, h, f);
}

SDrawBitmap::SDrawBitmap(int) {}
SDrawBitmap::SDrawBitmap(const kova::data::datastring<32, char>&, bool, int) {}
SDrawBitmap::SDrawBitmap(int, int, int, int, void*) {}

SDrawBitmap::~SDrawBitmap()
{
    if (pixmap && display)
        XFreePixmap(display, pixmap);
    pixmap = 0;
}

bool SDrawBitmap::Use()
{
    return false;
}

void SDrawBitmap::Create(void* xpm, int w, int h, bool f)
{
    if (pixmap)
        return;
    Display* d = kova::gui::GetDisplay();
    flag = f;
    width = w;
    height = h;
    if (!d)
        return;
    display = d;
    Window root = DefaultRootWindow(d);
    if (!xpm) {
        // A zero-sized pixmap is a protocol error; there is nothing to draw
        // into then.
        if (w > 0 && h > 0)
            pixmap = XCreatePixmap(d, root, (unsigned)w, (unsigned)h, (unsigned)DefaultDepth(d, DefaultScreen(d)));
        return;
    }
    XpmAttributes attributes = {};
    attributes.valuemask = XpmCloseness | XpmReturnInfos;
    attributes.closeness = 40000;
    Pixmap shape = 0;
    Pixmap result = 0;
    int status = XpmCreatePixmapFromData(d, root, static_cast<char**>(xpm), &result, &shape, &attributes);
    if (shape)
        XFreePixmap(d, shape);
    if (status != XpmSuccess) {
        // The loader may still have made a pixmap (XpmColorError and the
        // like are warnings); keep it, as the caller draws from it anyway.
        pixmap = result;
        width = 1;
        height = 1;
    } else {
        pixmap = result;
        width = (int)attributes.width;
        height = (int)attributes.height;
    }
    XpmFreeAttributes(&attributes);
}

void SDrawBitmap::Create(int) {}
void SDrawBitmap::Create(const kova::data::datastring<32, char>&, bool, int) {}
void SDrawBitmap::Create(int, int, int, int, void*) {}

int SDrawBitmap::Width() const
{
    return pixmap ? width : 0;
}

int SDrawBitmap::Height() const
{
    return pixmap ? height : 0;
}

SDrawBitmapMask::SDrawBitmapMask() = default;

SDrawBitmapMask::SDrawBitmapMask(unsigned char* xpm, int w, int h)
{
    Create(xpm, w, h, false);
}

SDrawBitmapMask::SDrawBitmapMask(int) {}
SDrawBitmapMask::SDrawBitmapMask(const kova::data::datastring<32, char>&, bool, int) {}
SDrawBitmapMask::SDrawBitmapMask(int, int, int, int, void*) {}
SDrawBitmapMask::~SDrawBitmapMask() = default;

bool SDrawBitmapMask::Use()
{
    return inUse;
}

void SDrawBitmapMask::SetMask(SDrawBitmap*, int value)
{
    inUse = false;
    maskValue = value;
}

}  // namespace kova::gui::context
