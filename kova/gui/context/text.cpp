// Text operations of the drawing context: measuring, plain and aligned text,
// rotated and vertical text, seven-segment digits.
//
// Rotated and vertical text render the string into a one-bit pixmap, turn
// the bits on the client and fill through the result as a stipple, so any
// core font can be drawn at any whole angle.
#include <X11/Xutil.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "kova/gui/connection.h"
#include "kova/gui/context/drawing.h"

namespace kova::gui::context {

namespace {

// Nearest integer, halves upwards.
int Round(float v)
{
    return (int)std::floor(v + 0.5f);
}

// A one-bit image buffer, most significant bit first in each byte.
struct BitRows {
    BitRows(int w, int h) : width(w), height(h), stride(((w - 1) >> 3) + 1)
    {
        bits = static_cast<unsigned char*>(std::calloc((size_t)stride * (size_t)h, 1));
    }
    ~BitRows() { std::free(bits); }
    bool Get(int x, int y) const { return bits[y * stride + (x >> 3)] & (0x80 >> (x & 7)); }
    void Set(int x, int y) { bits[y * stride + (x >> 3)] |= (unsigned char)(0x80 >> (x & 7)); }
    int width, height, stride;
    unsigned char* bits;
};

// Renders the text with the font into a width x height source bitmap, the
// string's top-left at (0, 0).
bool RenderText(Display* d, SDrawFont* font, const char* text, int len, BitRows& out)
{
    Window root = DefaultRootWindow(d);
    Pixmap pm = XCreatePixmap(d, root, (unsigned)out.width, (unsigned)out.height, 1);
    XGCValues values = {};
    values.background = 0;
    values.font = font->Id();
    GC pgc = XCreateGC(d, pm, GCBackground | GCFont, &values);
    XSetForeground(d, pgc, 0);
    XFillRectangle(d, pm, pgc, 0, 0, (unsigned)out.width + 1, (unsigned)out.height + 1);
    XSetForeground(d, pgc, 1);
    XDrawString(d, pm, pgc, 0, font->Ascent(), text, len);
    XImage* img = XGetImage(d, pm, 0, 0, (unsigned)out.width, (unsigned)out.height, 1, XYPixmap);
    XFreeGC(d, pgc);
    XFreePixmap(d, pm);
    if (!img)
        return false;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            if (XGetPixel(img, x, y) & 1)
                out.Set(x, y);
    XDestroyImage(img);
    return true;
}

// Fills the target bitmap at (x, y) in the colour through a stipple, with a
// GC that copies function, plane mask, foreground and background of the
// context's GC.
void FillThrough(Display* d, Drawable drawable, GC contextGC, const BitRows& target, int x, int y, int colour)
{
    Window root = DefaultRootWindow(d);
    Pixmap stipple = XCreatePixmap(d, root, (unsigned)target.width, (unsigned)target.height, 1);
    GC sgc = XCreateGC(d, stipple, 0, nullptr);
    XImage* img = XCreateImage(d, DefaultVisual(d, DefaultScreen(d)), 1, XYBitmap, 0,
                               reinterpret_cast<char*>(target.bits), (unsigned)target.width,
                               (unsigned)target.height, 8, target.stride);
    if (img) {
        img->byte_order = MSBFirst;
        img->bitmap_bit_order = MSBFirst;
        XSetForeground(d, sgc, 1);
        XSetBackground(d, sgc, 0);
        XPutImage(d, stipple, sgc, img, 0, 0, 0, 0, (unsigned)target.width, (unsigned)target.height);
        img->data = nullptr;  // the buffer belongs to the caller
        XDestroyImage(img);
    }
    XFreeGC(d, sgc);

    GC fillGC = XCreateGC(d, drawable, 0, nullptr);
    XCopyGC(d, contextGC, GCFunction | GCPlaneMask | GCForeground | GCBackground, fillGC);
    XSetFillStyle(d, fillGC, FillStippled);
    XSetStipple(d, fillGC, stipple);
    XSetForeground(d, fillGC, (unsigned long)(unsigned)colour);
    XSetTSOrigin(d, fillGC, x, y);
    XFillRectangle(d, drawable, fillGC, x, y, (unsigned)target.width, (unsigned)target.height);
    XFreeGC(d, fillGC);
    XFreePixmap(d, stipple);
}

int AlignX(int flags, int left, int right, int w)
{
    if (flags & 1)
        return left;
    if (flags & 4)
        return right - w;
    return left + ((right - left - w) >> 1);
}

int AlignY(int flags, int top, int bottom, int h)
{
    if (flags & 2)
        return top;
    if (flags & 8)
        return bottom - h;
    return top + ((bottom - top - h) >> 1);
}

unsigned long CurrentForeground(Display* d, GC gc)
{
    XGCValues v = {};
    XGetGCValues(d, gc, GCForeground, &v);
    return v.foreground;
}

}  // namespace

void SDrawing::GetTextDimensions(const char* text, int* width, int* height, SDrawFont* f)
{
    int w = 0;
    int h = 0;
    if (text && *text && f && f->Info()) {
        int direction, ascent, descent;
        XCharStruct overall = {};
        XTextExtents(f->Info(), text, (int)std::strlen(text), &direction, &ascent, &descent, &overall);
        w = overall.width;
        h = f->Ascent() + f->Descent();
    }
    if (width)
        *width = w;
    if (height)
        *height = h;
}

void SDrawing::DrawText(const char* text, int x, int y)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (!font || !font->Info() || !text || !*text || !Target(d, gc, dr))
        return;
    XDrawString(d, dr, gc, x, y + font->Ascent(), text, (int)std::strlen(text));
}

void SDrawing::DrawText(const char* text, const Point& p)
{
    DrawText(text, p.x, p.y);
}

void SDrawing::DrawText(const String& text, int x, int y)
{
    DrawText(text.c_str(), x, y);
}

void SDrawing::DrawText(const String& text, const Point& p)
{
    DrawText(text.c_str(), p.x, p.y);
}

void SDrawing::DrawLabel(const char* text, Rect rect, int flags, const Point& offset)
{
    if (!font || !text || !*text)
        return;
    rect.x0 += offset.x;
    rect.x1 += offset.x;
    rect.y0 += offset.y;
    rect.y1 += offset.y;
    Display* d;
    GC gc;
    Drawable dr;
    if (!font->Info() || !Target(d, gc, dr))
        return;
    const int ascent = font->Ascent();
    int baseline;
    if (flags & 2)
        baseline = rect.y0 + ascent;
    else if (flags & 8)
        baseline = rect.y1 - font->Descent();
    else
        baseline = rect.y0 + (ascent >> 1) + ((rect.y1 - rect.y0) >> 1) - 1;
    const int len = (int)std::strlen(text);
    int x;
    if (flags & 1)
        x = rect.x0;
    else if (flags & 4)
        x = rect.x1 - XTextWidth(font->Info(), text, len);
    else
        x = rect.x0 + ((rect.x1 - rect.x0) >> 1) - (XTextWidth(font->Info(), text, len) >> 1);
    XDrawString(d, dr, gc, x, baseline, text, len);
}

void SDrawing::DrawLabel(const String& text, Rect rect, int flags, const Point& offset)
{
    DrawLabel(text.c_str(), rect, flags, offset);
}

void SDrawing::DrawLabelRect(const char* text, const Rect& rect, int colour, const Point& offset)
{
    if (!font || !text || !*text)
        return;
    SetForegroundPixel(colour);
    FillRect(rect);
    DrawLabel(text, rect, 0, offset);
}

void SDrawing::DrawLabelRect(const String& text, const Rect& rect, int colour, const Point& offset)
{
    DrawLabelRect(text.c_str(), rect, colour, offset);
}

void SDrawing::DrawRotatedText(const char* text, Rect rect, int angle, int flags, const Point& offset)
{
    if (!font || !text || !*text)
        return;
    while (angle > 359)
        angle -= 360;
    while (angle <= -360)
        angle += 360;
    if (angle == 0) {
        DrawLabel(text, rect, flags, offset);
        return;
    }
    Display* d;
    GC gc;
    Drawable dr;
    if (!font->Info() || !Target(d, gc, dr))
        return;
    rect.x0 -= 1;
    rect.y0 -= 1;
    rect.x1 += 1;
    rect.y1 += 1;

    int w = 0;
    int ad = 0;
    GetTextDimensions(text, &w, &ad, font);
    const int W = w + 2;
    const int H = ad + 2;
    BitRows source(W, H);
    if (!source.bits || !RenderText(d, font, text, (int)std::strlen(text), source))
        return;

    const float theta = (float)angle * 0.017453292f;
    const float s = std::sin(theta);
    const float c = std::cos(theta);
    int W2 = Round(std::fabs(H * s) + std::fabs(W * c) + 0.99999f + 2.0f);
    int H2 = Round(std::fabs(H * c) + std::fabs(W * s) + 0.99999f + 2.0f);
    if ((W2 & 1) == 0)
        ++W2;
    if ((H2 & 1) == 0)
        ++H2;
    BitRows target(W2, H2);
    if (!target.bits)
        return;

    // Visit per row only the columns of the parallelogram that can hold
    // source pixels. Its slant follows the sign of the sine, so angles below
    // zero take the same span as their positive equivalents (a -45 degree
    // label spans like a 315 degree one).
    float y0 = -H2 / 2.0f + 0.5f;
    float e = 0.0f;
    float f = (float)W2;
    float step = 0.0f;
    if (angle % 90 != 0) {
        const float t = 1.0f / std::tan(theta);
        const float q = H / (2.0f * c);
        const int positive = angle < 0 ? angle + 360 : angle;
        if (positive <= 179) {
            e = W2 / 2.0f + (y0 - q) * t - 2.0f;
            f = W2 / 2.0f + (y0 + q) * t + 2.0f;
        } else {
            e = W2 / 2.0f + (y0 + q) * t - 2.0f;
            f = W2 / 2.0f + (y0 - q) * t + 2.0f;
        }
        step = t;
    }
    float yp = y0;
    for (int r = 0; r < H2; ++r) {
        const int from = e >= 0.0f ? Round(e) : 0;
        int to = Round(f);
        if (to > W2)
            to = W2;
        for (int x = from; x < to; ++x) {
            const float xp = x - W2 / 2.0f + 0.5f;
            const int sx = Round(W / 2.0f + yp * s + xp * c);
            const int sy = Round(H / 2.0f - (yp * c - xp * s));
            if (sx >= 0 && sx < W && sy >= 0 && sy < H && source.Get(sx, sy))
                target.Set(x, H2 - 1 - r);
        }
        e += step;
        f += step;
        yp += 1.0f;
    }

    rect.x0 += offset.x;
    rect.x1 += offset.x;
    rect.y0 += offset.y;
    rect.y1 += offset.y;
    FillThrough(d, dr, gc, target, AlignX(flags, rect.x0, rect.x1, W2), AlignY(flags, rect.y0, rect.y1, H2),
                textOff);
}

void SDrawing::DrawRotatedText(const String& text, Rect rect, int angle, int flags, const Point& offset)
{
    DrawRotatedText(text.c_str(), rect, angle, flags, offset);
}

void SDrawing::DrawVerticalLabel(const char* text, Rect rect, int, int flags, const Point& offset, bool, bool,
                                 const char*)
{
    if (!font || !text || !*text)
        return;
    Display* d;
    GC gc;
    Drawable dr;
    if (!font->Info() || !Target(d, gc, dr))
        return;
    int W = 0;
    int H = 0;
    GetTextDimensions(text, &W, &H, font);
    if (W <= 0 || H <= 0)
        return;
    BitRows source(W, H);
    if (!source.bits || !RenderText(d, font, text, (int)std::strlen(text), source))
        return;
    const int W2 = (H & 1) ? H : H + 1;
    const int H2 = (W & 1) ? W : W + 1;
    BitRows target(W2, H2);
    if (!target.bits)
        return;
    for (int r = 0; r < H2; ++r) {
        const float yp = -H2 / 2.0f + 0.5f + r;
        for (int x = 0; x < W2; ++x) {
            const float xp = -W2 / 2.0f + 0.5f + x;
            const int sx = Round(W / 2.0f + yp);
            const int sy = Round(H / 2.0f + xp);
            if (sx >= 0 && sx < W && sy >= 0 && sy < H && source.Get(sx, sy))
                target.Set(x, H2 - 1 - r);
        }
    }
    rect.x0 += offset.x;
    rect.x1 += offset.x;
    rect.y0 += offset.y;
    rect.y1 += offset.y;
    FillThrough(d, dr, gc, target, AlignX(flags, rect.x0, rect.x1, W2), AlignY(flags, rect.y0, rect.y1, H2),
                (int)CurrentForeground(d, gc));
}

void SDrawing::DrawVerticalLabel(const String& text, Rect rect, int n, int flags, const Point& offset, bool a,
                                 bool b, const char* s)
{
    DrawVerticalLabel(text.c_str(), rect, n, flags, offset, a, b, s);
}

void SDrawing::DrawPixelNumber(int x, int y, int digit)
{
    const int x1 = x + 1, x2 = x + 5;
    const int y1 = y + 3, ym = y + 6, y2 = y + 9;
    auto top = [&] { DrawLine(x1, y1, x2, y1); };
    auto middle = [&] { DrawLine(x1, ym, x2, ym); };
    auto bottom = [&] { DrawLine(x1, y2, x2, y2); };
    auto left = [&] { DrawLine(x1, y1, x1, y2); };
    auto upperLeft = [&] { DrawLine(x1, y1, x1, ym); };
    auto lowerLeft = [&] { DrawLine(x1, ym, x1, y2); };
    auto right = [&] { DrawLine(x2, y1, x2, y2); };
    auto upperRight = [&] { DrawLine(x2, y1, x2, ym); };
    auto lowerRight = [&] { DrawLine(x2, ym, x2, y2); };
    switch (digit) {
    case 0: top(); left(); right(); bottom(); break;
    case 1: DrawLine(x + 2, y1, x + 3, y1); DrawLine(x + 3, y1, x + 3, y2); break;
    case 2: top(); upperRight(); DrawLine(x2, ym, x1, ym); lowerLeft(); bottom(); break;
    case 3: top(); right(); middle(); bottom(); break;
    case 4: upperLeft(); middle(); right(); break;
    case 5: top(); upperLeft(); middle(); lowerRight(); bottom(); break;
    case 6: top(); left(); middle(); lowerRight(); bottom(); break;
    case 7: top(); right(); break;
    case 8: top(); left(); middle(); right(); bottom(); break;
    case 9: top(); upperLeft(); middle(); right(); bottom(); break;
    default: break;
    }
}

void SDrawing::DrawPixelNumber(Point& p, int digit)
{
    DrawPixelNumber(p.x, p.y, digit);
}

void SDrawing::DrawVerticalPixelNumber(int, int, int, bool) {}

void SDrawing::DrawVerticalPixelNumber(Point& p, int digit, bool b)
{
    DrawVerticalPixelNumber(p.x, p.y, digit, b);
}

void SDrawing::DrawPixelLabel(const char*, Rect, int, const Point&) {}

void SDrawing::DrawVerticalPixelLabel(const char*, Rect, int, int, const Point&, bool, bool, const char*) {}

}  // namespace kova::gui::context
