#include "kova/gui/cursor.h"

#include <X11/cursorfont.h>

#include <vector>

#include "kova/gui/connection.h"
#include "kova/gui/context/bitmap.h"
#include "kova/gui/cursorbitmaps.h"
#include "kova/gui/xerror.h"

namespace kova::gui {

namespace {

// Cursor images must be one-bit pixmaps; anything else is a protocol error
// that would end the process under Xlib's default error handler.
bool IsBitmap(Display* d, kova::gui::context::SDrawBitmap* b)
{
    if (!b || !b->GetPixmap() || b->GetConnection() != d)
        return false;
    Window root;
    int x, y;
    unsigned w, h, border, depth;
    return XGetGeometry(d, b->GetPixmap(), &root, &x, &y, &w, &h, &border, &depth) && depth == 1;
}

unsigned Clamp(int v, int size)
{
    return v < 0 ? 0u : v >= size ? (unsigned)(size - 1) : (unsigned)v;
}

}  // namespace

SCursor::SCursor() = default;

SCursor::SCursor(unsigned int t, Window w) : type(t), window(w)
{
    Display* d = GetDisplay();
    if (!d)
        return;
    if (t == Invisible) {
        static const char empty[1] = {0};
        Pixmap blank = XCreateBitmapFromData(d, DefaultRootWindow(d), empty, 1, 1);
        XColor black = {};
        Adopt(d, XCreatePixmapCursor(d, blank, blank, &black, &black, 0, 0));
        XFreePixmap(d, blank);
        hidden = true;
    } else {
        const unsigned shape = t == Hand ? XC_hand2 : t == Watch ? XC_watch : XC_left_ptr;
        Adopt(d, XCreateFontCursor(d, shape));
    }
    if (cursor && window)
        XDefineCursor(d, window, cursor);
}

SCursor::~SCursor()
{
    if (cursor && display) {
        if (window) {
            // The window may be the host's and already gone at this point;
            // a failed request must not end the host.
            SXErrorTrap trap;
            XUndefineCursor(display, window);
            XSync(display, False);
        }
        XFreeCursor(display, cursor);
    }
    cursor = 0;
    if (Display* d = display ? display : GetDisplay())
        XFlush(d);
}

void SCursor::Adopt(Display* d, Cursor c)
{
    display = d;
    cursor = c;
}

void SCursor::Release()
{
    // The typed constructor and the Create operations replace the cursor:
    // the old one would otherwise stay allocated on the server.
    if (cursor && display)
        XFreeCursor(display, cursor);
    cursor = 0;
}

void SCursor::Set()
{
    if (display && window && cursor)
        XDefineCursor(display, window, cursor);
}

void SCursor::Free()
{
    Display* d = display ? display : GetDisplay();
    if (d && window) {
        if (cursor)
            XUndefineCursor(d, window);
        XFlush(d);
    }
    hidden = false;
}

void SCursor::CreateOrange(const unsigned char* sourceBits, const unsigned char* maskBits, int width, int height,
                           int hotX, int hotY)
{
    Display* d = GetDisplay();
    if (!d)
        return;
    const int screen = DefaultScreen(d);
    Colormap map = DefaultColormap(d, screen);
    XColor orange = {};
    orange.red = 0xFF00;
    orange.green = 0x7F00;
    orange.blue = 0x0000;
    XAllocColor(d, map, &orange);
    XColor black = {};
    black.pixel = BlackPixel(d, screen);
    XQueryColor(d, map, &black);
    Window root = DefaultRootWindow(d);
    Pixmap source = XCreatePixmapFromBitmapData(d, root, (char*)sourceBits, (unsigned)width, (unsigned)height, 1, 0, 1);
    Pixmap mask = XCreatePixmapFromBitmapData(d, root, (char*)maskBits, (unsigned)width, (unsigned)height, 1, 0, 1);
    Release();
    // A hot spot outside the image is a protocol error.
    Adopt(d, XCreatePixmapCursor(d, source, mask, &black, &orange, Clamp(hotX, width), Clamp(hotY, height)));
    XFreePixmap(d, source);
    XFreePixmap(d, mask);
    hidden = false;
}

void SCursor::CreateDefault()
{
    CreateOrange(kova::images::arrow_source, kova::images::arrow_mask, kova::images::ArrowWidth,
                 kova::images::ArrowHeight, 0, 0);
}

void SCursor::Create(kova::gui::context::SDrawBitmap* source, kova::gui::context::SDrawBitmap* mask, int hotX,
                     int hotY)
{
    Display* d = GetDisplay();
    if (d && IsBitmap(d, source) && IsBitmap(d, mask)) {
        XColor white = {};
        white.red = white.green = white.blue = 0xFFFF;
        XColor black = {};
        Release();
        Adopt(d, XCreatePixmapCursor(d, source->GetPixmap(), mask->GetPixmap(), &white, &black, (unsigned)hotX,
                                     (unsigned)hotY));
    }
    delete source;
    delete mask;
    hidden = false;
}

void SCursor::Create(void*, void*, int width, int height, int hotX, int hotY)
{
    using namespace kova::images;
    if (width <= 0 || height <= 0)
        return;
    // Cut the built-in 16 x 14 images to width x height.
    const int stride = (width + 7) / 8;
    std::vector<unsigned char> source((size_t)stride * (size_t)height, 0);
    std::vector<unsigned char> mask(source.size(), 0);
    for (int y = 0; y < height && y < CornerHeight; ++y)
        for (int x = 0; x < width && x < CornerWidth; ++x) {
            const int from = y * 2 + (x >> 3);
            const unsigned char bit = (unsigned char)(1u << (x & 7));
            if (corner_source[from] & bit)
                source[(size_t)(y * stride + (x >> 3))] |= bit;
            if (corner_mask[from] & bit)
                mask[(size_t)(y * stride + (x >> 3))] |= bit;
        }
    CreateOrange(source.data(), mask.data(), width, height, hotX, hotY);
}

SCursorDefault::SCursorDefault()
{
    Display* d = GetDisplay();
    if (!d)
        return;
    window = DefaultRootWindow(d);
    Adopt(d, XCreateFontCursor(d, XC_left_ptr));
}

void SCursorDefault::Set()
{
    if (display && window && cursor) {
        XDefineCursor(display, window, cursor);
        active = true;
    }
}

void SCursorDefault::Free()
{
    SCursor::Free();
    active = false;
}

}  // namespace kova::gui
