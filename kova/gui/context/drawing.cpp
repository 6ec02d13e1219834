#include "kova/gui/context/drawing.h"

#include <X11/Xmu/Drawing.h>

#include <atomic>
#include <vector>

#include "kova/gui/connection.h"
#include "kova/gui/context/colour.h"
#include "kova/gui/context/staticdata.h"

namespace kova::gui::context {

namespace {

unsigned long Pixel(int colour)
{
    return (unsigned long)(unsigned)colour;
}

// X takes sizes as unsigned: a negative size would wrap to a huge area.
unsigned Size(int extent)
{
    return extent > 0 ? (unsigned)extent : 0u;
}

int XFunction(int code)
{
    static const int functions[15] = {GXclear,        GXxor,  GXinvert, GXorReverse,   GXandReverse,
                                      GXand,          GXor,   GXandInverted, GXnoop,   GXnor,
                                      GXequiv,        GXcopyInverted, GXorInverted, GXnand, GXset};
    return (code >= 0 && code < 15) ? functions[code] : GXcopy;
}

std::atomic<SDrawing::WindowHook> windowHook{nullptr};

Drawable WindowOf(kova::gui::SControl* control)
{
    SDrawing::WindowHook hook = windowHook.load();
    return control && hook ? (Drawable)hook(control) : 0;
}

}  // namespace

void SDrawing::SetWindowHook(WindowHook hook)
{
    windowHook.store(hook);
}

SDrawing::SDrawing() = default;

SDrawing::SDrawing(kova::gui::SControl* control, SGlobals* globals)
    : device(new SDrawDevice(WindowOf(control))), control(control), globals(globals)
{
    const int black = kova::gui::SCOL(0, 0, 0);
    backgroundCurrent = backgroundParent = backgroundOn = backgroundOff = black;
    const int white = kova::gui::SCOL(255, 255, 255);
    foregroundCurrent = foregroundOn = foregroundOff = white;
    textOff = textOn = white;
    frameActiveOff = frameActiveOn = black;
    frameInactive = kova::gui::SCOL(138, 145, 150);
}

SDrawing::~SDrawing()
{
    delete device;
    device = nullptr;
    if (lock.IsLocked())
        lock.Unlock();
}

bool SDrawing::Target(Display*& display, GC& gc, Drawable& drawable)
{
    if (!device)
        return false;
    display = device->GetConnection();
    gc = device->Get();
    drawable = device->GetDrawable();
    return display && gc && drawable;
}

void SDrawing::SetForegroundPixel(int colour)
{
    if (device && device->GetConnection() && device->Get())
        XSetForeground(device->GetConnection(), device->Get(), Pixel(colour));
}

SDrawDevice* SDrawing::GetDevice()
{
    return device;
}

void SDrawing::SetDevice(SDrawDevice* d)
{
    device = d;
}

void SDrawing::InitDrawing(kova::gui::SControl* c, SDrawing*)
{
    delete device;
    device = new SDrawDevice(WindowOf(c));
    control = c;
}

void SDrawing::CleanDrawing()
{
    delete device;
    device = nullptr;
}

void SDrawing::SetColours(int background, int bgOn, int parentBackground, int foreground, int fgOn, int text,
                          int txtOn)
{
    backgroundOff = background;
    backgroundCurrent = background;
    backgroundOn = bgOn;
    backgroundParent = parentBackground;
    foregroundOff = foreground;
    foregroundCurrent = foreground;
    foregroundOn = fgOn;
    textOff = text;
    textOn = txtOn;
    frameActiveOff = background;
    frameActiveOn = background;
    frameInactive = kova::gui::SCOL(138, 145, 150);
}

void SDrawing::SetBackgroundColour(bool on)
{
    backgroundCurrent = on ? backgroundOn : backgroundOff;
}

void SDrawing::SetBackgroundColour(int colour)
{
    backgroundCurrent = colour;
}

void SDrawing::SetBackground(int colour, bool on)
{
    if (on)
        backgroundOn = colour;
    else
        backgroundOff = colour;
    SetBackgroundColour(on);
}

void SDrawing::SetBackgroundMode(bool) {}

int SDrawing::GetBackgroundColour()
{
    return backgroundCurrent;
}

int SDrawing::GetParentBackgroundColour()
{
    return backgroundParent;
}

void SDrawing::SetForegroundColour(bool on)
{
    foregroundCurrent = on ? foregroundOn : foregroundOff;
    SetForegroundPixel(foregroundCurrent);
}

int SDrawing::GetForegroundColour()
{
    return foregroundCurrent;
}

int SDrawing::GetFrameColour(bool active, bool on)
{
    return active ? (on ? frameActiveOn : frameActiveOff) : frameInactive;
}

void SDrawing::SetFrameColour(int activeOff, int activeOn, int inactive)
{
    frameActiveOff = activeOff;
    frameActiveOn = activeOn;
    frameInactive = inactive;
}

void SDrawing::SetFillMode(int rule)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (Target(d, gc, dr))
        XSetFillRule(d, gc, rule);
    fillRule = rule;
}

int SDrawing::GetFillMode()
{
    return fillRule;
}

void SDrawing::SetFillStyle(int style)
{
    fillStyle = style;
    Display* d;
    GC gc;
    Drawable dr;
    if (Target(d, gc, dr))
        XSetFillStyle(d, gc, style);
}

int SDrawing::GetFillStyle()
{
    return fillStyle;
}

void SDrawing::SetLogic(int code)
{
    logic = code;
    Display* d;
    GC gc;
    Drawable dr;
    if (Target(d, gc, dr))
        XSetFunction(d, gc, XFunction(code));
}

void SDrawing::DrawBackground(const Rect& rect, bool parent)
{
    const int colour = parent ? GetParentBackgroundColour() : GetBackgroundColour();
    if (!globals || !statdata)
        return;
    if (device)
        device->SetPen(statdata->FindPen(colour));
    SetBrush(statdata->FindBrush(colour));
    FillRect(rect);
}

void SDrawing::DrawPoint(int x, int y)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (Target(d, gc, dr))
        XDrawPoint(d, dr, gc, x, y);
}

void SDrawing::DrawPoint(const Point& p)
{
    DrawPoint(p.x, p.y);
}

void SDrawing::DrawLine(int x1, int y1, int x2, int y2)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (!Target(d, gc, dr))
        return;
    XDrawLine(d, dr, gc, x1, y1, x2, y2);
    // Pens draw with the "not last" cap, which leaves out the final point;
    // lines of the toolkit include both end points.
    XGCValues values;
    if (XGetGCValues(d, gc, GCCapStyle, &values) && values.cap_style == CapNotLast)
        XDrawPoint(d, dr, gc, x2, y2);
}

void SDrawing::DrawLine(const Point& from, const Point& to)
{
    DrawLine(from.x, from.y, to.x, to.y);
}

void SDrawing::DrawRect(int left, int top, int right, int bottom)
{
    Display* d;
    GC gc;
    Drawable dr;
    // An empty rectangle has no outline (X would take the negative size as
    // a huge one).
    if (Target(d, gc, dr) && right > left && bottom > top)
        XDrawRectangle(d, dr, gc, left, top, Size(right - left - 1), Size(bottom - top - 1));
}

void SDrawing::DrawRect(const Point& topLeft, const Point& bottomRight)
{
    DrawRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
}

void SDrawing::DrawRect(const Rect& r)
{
    DrawRect(r.x0, r.y0, r.x1, r.y1);
}

void SDrawing::DrawRoundedRect(int left, int top, int right, int bottom, int ew, int eh)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (Target(d, gc, dr) && right > left && bottom > top)
        XmuDrawRoundedRectangle(d, dr, gc, left, top, (int)Size(right - left - 1), (int)Size(bottom - top - 1), ew,
                                eh);
}

void SDrawing::DrawRoundedRect(const Point& topLeft, const Point& bottomRight, int ew, int eh)
{
    DrawRoundedRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y, ew, eh);
}

void SDrawing::DrawRoundedRect(const Rect& r, int ew, int eh)
{
    DrawRoundedRect(r.x0, r.y0, r.x1, r.y1, ew, eh);
}

void SDrawing::Arc(bool fill, int mode, int left, int top, int right, int bottom, int start, int extent)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (!Target(d, gc, dr))
        return;
    XSetArcMode(d, gc, mode);
    unsigned w = Size(right - left), h = Size(bottom - top);
    if (fill)
        XFillArc(d, dr, gc, left, top, w, h, start * 64, extent * 64);
    else
        XDrawArc(d, dr, gc, left, top, w, h, start * 64, extent * 64);
}

void SDrawing::DrawEllipse(int left, int top, int right, int bottom)
{
    Arc(false, ArcPieSlice, left, top, right, bottom, 0, 360);
}

void SDrawing::DrawChord(int left, int top, int right, int bottom, int start, int extent)
{
    Arc(false, ArcChord, left, top, right, bottom, start, extent);
}

void SDrawing::DrawPie(int left, int top, int right, int bottom, int start, int extent)
{
    Arc(false, ArcPieSlice, left, top, right, bottom, start, extent);
}

void SDrawing::DrawArc(int, int, int, int, int, int) {}

void SDrawing::DrawBezier(int, int, int, int, int, int, int, int) {}

namespace {
// X points are 16 bits wide; coordinates are truncated. Small polygons stay
// on the stack.
struct XPoints {
    explicit XPoints(const kova::math::geom::Point<int, 2>* points, int count)
    {
        XPoint* out = count <= StackPoints ? stack : (heap.resize((size_t)count), heap.data());
        for (int i = 0; i < count; ++i) {
            out[i].x = (short)points[i].x;
            out[i].y = (short)points[i].y;
        }
        data = out;
    }
    static constexpr int StackPoints = 64;
    XPoint stack[StackPoints];
    std::vector<XPoint> heap;
    XPoint* data;
};
}  // namespace

void SDrawing::DrawPoly(Point* points, int count)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (!points || count < 2 || !Target(d, gc, dr))
        return;
    XPoints xp(points, count);
    XDrawLines(d, dr, gc, xp.data, count, CoordModeOrigin);
}

void SDrawing::FillRect(int left, int top, int right, int bottom)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (Target(d, gc, dr) && right > left && bottom > top)
        XFillRectangle(d, dr, gc, left, top, Size(right - left), Size(bottom - top));
}

void SDrawing::FillRect(const Point& topLeft, const Point& bottomRight)
{
    FillRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
}

void SDrawing::FillRect(const Rect& r)
{
    FillRect(r.x0, r.y0, r.x1, r.y1);
}

void SDrawing::FillRoundedRect(int left, int top, int right, int bottom, int ew, int eh)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (Target(d, gc, dr) && right > left && bottom > top)
        XmuFillRoundedRectangle(d, dr, gc, left, top, right - left, bottom - top, ew, eh);
}

void SDrawing::FillRoundedRect(const Point& topLeft, const Point& bottomRight, int ew, int eh)
{
    FillRoundedRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y, ew, eh);
}

void SDrawing::FillRoundedRect(const Rect& r, int ew, int eh)
{
    FillRoundedRect(r.x0, r.y0, r.x1, r.y1, ew, eh);
}

void SDrawing::FillEllipse(int left, int top, int right, int bottom)
{
    Arc(true, ArcPieSlice, left, top, right, bottom, 0, 360);
}

void SDrawing::FillChord(int left, int top, int right, int bottom, int start, int extent)
{
    Arc(true, ArcChord, left, top, right, bottom, start, extent);
}

void SDrawing::FillPie(int left, int top, int right, int bottom, int start, int extent)
{
    Arc(true, ArcPieSlice, left, top, right, bottom, start, extent);
}

void SDrawing::FillPoly(Point* points, int count)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (!points || count < 2 || !Target(d, gc, dr))
        return;
    XPoints xp(points, count);
    XFillPolygon(d, dr, gc, xp.data, count, Nonconvex, CoordModeOrigin);
}

void SDrawing::PathStart() {}
void SDrawing::PathStroke(SDrawPath*) {}
void SDrawing::PathFill(SDrawPath*) {}
void SDrawing::PathStrokeFill(SDrawPath*) {}
void SDrawing::PathEnd() {}

void SDrawing::DrawBitmap(SDrawBitmap*, int, int, int, int, bool, SDrawBitmapMask*) {}

void SDrawing::DrawBitmap(SDrawBitmap* bitmap, const Rect& r, bool b, SDrawBitmapMask* mask)
{
    DrawBitmap(bitmap, r.x0, r.y0, r.x1, r.y1, b, mask);
}

void SDrawing::DrawMemory(SDrawDevice* source, int x, int y, int left, int top, int right, int bottom)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (!source || !Target(d, gc, dr))
        return;
    // The copy uses the source's GC, so its function and clipping apply. A
    // source on another connection, or without a pixmap, cannot be copied.
    GC sourceGC = source->Get();
    Drawable from = source->GetDrawable();
    if (!sourceGC || !from || source->GetConnection() != d)
        return;
    XCopyArea(d, from, dr, sourceGC, left, top, Size(right - left), Size(bottom - top), x, y);
}

void SDrawing::DrawMemory(SDrawDevice* source, const Point& to, const Rect& from)
{
    DrawMemory(source, to.x, to.y, from.x0, from.y0, from.x1, from.y1);
}

void SDrawing::DrawMemory(SDrawDevice* source, int x, int y, int left, int top, int right, int bottom,
                          unsigned char)
{
    DrawMemory(source, x, y, left, top, right, bottom);
}

void SDrawing::DrawMemory(SDrawDevice* source, const Point& to, const Rect& from, unsigned char)
{
    DrawMemory(source, to.x, to.y, from.x0, from.y0, from.x1, from.y1);
}

void SDrawing::DrawMemory(SDrawDevice* source, int x, int y, int left, int top, int right, int bottom, int,
                          SDrawBitmapMask*)
{
    DrawMemory(source, x, y, left, top, right, bottom);
}

void SDrawing::DrawMemory(SDrawDevice* source, const Point& to, const Rect& from, int, SDrawBitmapMask*)
{
    DrawMemory(source, to.x, to.y, from.x0, from.y0, from.x1, from.y1);
}

void SDrawing::DrawImage(SDrawImage* image, const Rect& from, const Rect& to)
{
    Display* d;
    GC gc;
    Drawable dr;
    if (!image || !image->Get() || !Target(d, gc, dr))
        return;
    XPutImage(d, dr, gc, image->Get(), from.x0, from.y0, to.x0, to.y0, Size(from.x1 - from.x0),
              Size(from.y1 - from.y0));
}

void SDrawing::SetPen(SDrawPen* pen)
{
    if (device)
        device->SetPen(pen);
}

void SDrawing::SetBrush(SDrawBrush* b)
{
    brush = b;
    if (b)
        SetForegroundPixel(b->EffectiveColour());
}

void SDrawing::SetFont(SDrawFont* f)
{
    font = f;
    if (f && device)
        device->SetFont(f);
}

void SDrawing::SetTextColour(int colour, bool on)
{
    if (on)
        textOn = colour;
    else
        textOff = colour;
    SetForegroundPixel(colour);
}

}  // namespace kova::gui::context
