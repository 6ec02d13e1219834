// The drawing context of a window. Every toolkit window draws through one
// SDrawing: it wraps a drawing device (an X drawable with its GC), keeps the
// window's colour scheme and offers the primitives the widgets use.
//
// Coordinates are window pixels. A rectangle's left and top are inclusive,
// right and bottom exclusive. Outline operations draw on the inclusive edges:
// DrawRect(10, 10, 20, 20) outlines columns 10 and 19 and rows 10 and 19.
// Fill operations cover exactly the rectangle: FillRect(10, 10, 20, 20)
// fills the 10 x 10 pixels from (10, 10) to (19, 19).
//
// State (foreground, line attributes, font, function, fill rule and style,
// arc mode) persists in the GC between operations; each operation sets only
// what it needs, so select a pen, brush, font or text colour before drawing.
// No operation takes a lock: callers serialise drawing (the dispatcher draws
// under the display lock). A context without a device draws nothing.
//
// Text alignment flags: 1 left (wins over 4), 4 right, 2 top (wins over 8),
// 8 bottom; without a bit in a direction the text is centred in it.
#pragma once

#include "kova/data/datastring.h"
#include "kova/gui/context/bitmap.h"
#include "kova/gui/context/brush.h"
#include "kova/gui/context/device.h"
#include "kova/gui/context/font.h"
#include "kova/gui/context/image.h"
#include "kova/gui/context/memorydevice.h"
#include "kova/gui/context/pen.h"
#include "kova/math/geom.h"
#include "kova/threading/mutex.h"

class SGlobals;

namespace kova::gui {
class SControl;
}

namespace kova::gui::context {

// Declared for the path operations, which do nothing.
class SDrawPath;

namespace align {
constexpr int Left = 1;
constexpr int Top = 2;
constexpr int Right = 4;
constexpr int Bottom = 8;
constexpr int Centre = 0;
}  // namespace align

class SDrawing {
public:
    using Point = kova::math::geom::Point<int, 2>;
    using Rect = kova::math::geom::Rectangle<int, 2>;
    using String = kova::data::datastring<32, char>;

    // No device, no control, no globals, no font, no brush; colours unset.
    SDrawing();
    // A context on the control's X window with a fresh GC. Backgrounds and
    // active frames black, foregrounds and texts white, inactive frame grey
    // (138, 145, 150).
    SDrawing(kova::gui::SControl* control, SGlobals* globals);
    // How the context finds a control's X window: installed by the GUI side
    // (kova/gui/control.cpp), so that the context knows no controls.
    using WindowHook = unsigned long (*)(const kova::gui::SControl* control);
    static void SetWindowHook(WindowHook hook);
    // Deletes the installed device; font and brush are not deleted.
    virtual ~SDrawing();
    SDrawing(const SDrawing&) = delete;
    SDrawing& operator=(const SDrawing&) = delete;

    virtual SDrawDevice* GetDevice();
    // Installs a device (a memory device to draw off screen, or the saved
    // window device to come back). Whatever device is installed when the
    // context is cleaned, re-initialised or destroyed is deleted with it, so
    // restore the window device first.
    virtual void SetDevice(SDrawDevice* device);
    // Rebinds the context to the control's window with a fresh device.
    virtual void InitDrawing(kova::gui::SControl* control, SDrawing* unused);
    // Deletes the device and leaves the context without one.
    virtual void CleanDrawing();

    // The colour scheme. The frame colours become the background (active) and
    // grey 138, 145, 150 (inactive). No X request.
    virtual void SetColours(int background, int backgroundOn, int parentBackground, int foreground,
                            int foregroundOn, int text, int textOn);
    // Current background = on-state or off-state background.
    virtual void SetBackgroundColour(bool on);
    virtual void SetBackgroundColour(int colour);
    // Stores the on- or off-state background and makes that state's current.
    virtual void SetBackground(int colour, bool on);
    virtual void SetBackgroundMode(bool);
    virtual int GetBackgroundColour();
    virtual int GetParentBackgroundColour();
    // Current foreground = on- or off-state foreground, set in the GC.
    virtual void SetForegroundColour(bool on);
    virtual int GetForegroundColour();
    virtual int GetFrameColour(bool active, bool on);
    virtual void SetFrameColour(int activeOff, int activeOn, int inactive);
    // X fill rule: 0 even-odd, 1 winding.
    virtual void SetFillMode(int rule);
    virtual int GetFillMode();
    // X fill style: 0 solid, 1 tiled, 2 stippled, 3 opaque stippled.
    virtual void SetFillStyle(int style);
    virtual int GetFillStyle();
    // Raster operation: 0 clear, 1 xor, 2 invert, 3 or-reverse, 4 and-reverse,
    // 5 and, 6 or, 7 and-inverted, 8 no-op, 9 nor, 10 equiv, 11 copy-inverted,
    // 12 or-inverted, 13 nand, 14 set; anything else (15 included) copy.
    virtual void SetLogic(int code);

    // Fills with the current (or the parent) background through the shared
    // pen and brush of that colour, which stay selected. Draws nothing when
    // the context has no globals record.
    virtual void DrawBackground(const Rect& rect, bool parent);

    virtual void DrawPoint(int x, int y);
    virtual void DrawPoint(const Point& p);
    // Both end points included.
    virtual void DrawLine(int x1, int y1, int x2, int y2);
    virtual void DrawLine(const Point& from, const Point& to);
    virtual void DrawRect(int left, int top, int right, int bottom);
    virtual void DrawRect(const Point& topLeft, const Point& bottomRight);
    virtual void DrawRect(const Rect& rect);
    // ew, eh: width and height of the corner ellipses.
    virtual void DrawRoundedRect(int left, int top, int right, int bottom, int ew, int eh);
    virtual void DrawRoundedRect(const Point& topLeft, const Point& bottomRight, int ew, int eh);
    virtual void DrawRoundedRect(const Rect& rect, int ew, int eh);

    // Text with the selected font in the GC's foreground; (x, y) is the
    // top-left corner of the line. Nothing without a loaded font or text.
    virtual void DrawText(const char* text, int x, int y);
    virtual void DrawText(const char* text, const Point& p);
    virtual void DrawText(const String& text, int x, int y);
    virtual void DrawText(const String& text, const Point& p);
    // Text aligned inside the rectangle moved by the offset.
    virtual void DrawLabel(const char* text, Rect rect, int flags, const Point& offset);
    virtual void DrawLabel(const String& text, Rect rect, int flags, const Point& offset);
    // Fills the rectangle with the colour, then draws the centred label while
    // that colour is still the foreground. For text in another colour, fill
    // and draw the label separately.
    virtual void DrawLabelRect(const char* text, const Rect& rect, int colour, const Point& offset);
    virtual void DrawLabelRect(const String& text, const Rect& rect, int colour, const Point& offset);
    // Text turned counter-clockwise by whole degrees, in the off-state text
    // colour. Angle 0 (or a multiple of 360) is a plain DrawLabel.
    virtual void DrawRotatedText(const char* text, Rect rect, int angle, int flags, const Point& offset);
    virtual void DrawRotatedText(const String& text, Rect rect, int angle, int flags, const Point& offset);
    // Text turned by 90 degrees, reading from bottom to top, in the GC's
    // current foreground.
    virtual void DrawVerticalLabel(const char* text, Rect rect, int, int flags, const Point& offset, bool, bool,
                                   const char*);
    virtual void DrawVerticalLabel(const String& text, Rect rect, int, int flags, const Point& offset, bool, bool,
                                   const char*);
    // One decimal digit as seven-segment lines with the selected pen, in a
    // cell whose segments span columns x + 1 .. x + 5 and rows y + 3 .. y + 9.
    // Anything outside 0 .. 9 draws nothing.
    virtual void DrawPixelNumber(int x, int y, int digit);
    virtual void DrawPixelNumber(Point& p, int digit);
    virtual void DrawVerticalPixelNumber(int x, int y, int digit, bool);
    virtual void DrawVerticalPixelNumber(Point& p, int digit, bool);
    virtual void DrawPixelLabel(const char*, Rect, int, const Point&);
    virtual void DrawVerticalPixelLabel(const char*, Rect, int, int, const Point&, bool, bool, const char*);

    // Arcs: whole degrees, counter-clockwise from three o'clock; the extent
    // is relative to the start. The arc mode stays in the GC.
    virtual void DrawEllipse(int left, int top, int right, int bottom);
    virtual void DrawChord(int left, int top, int right, int bottom, int start, int extent);
    virtual void DrawPie(int left, int top, int right, int bottom, int start, int extent);
    virtual void DrawArc(int left, int top, int right, int bottom, int start, int extent);
    virtual void DrawBezier(int, int, int, int, int, int, int, int);
    // An open polyline; nothing for a null array or fewer than 2 points.
    virtual void DrawPoly(Point* points, int count);

    virtual void FillRect(int left, int top, int right, int bottom);
    virtual void FillRect(const Point& topLeft, const Point& bottomRight);
    virtual void FillRect(const Rect& rect);
    virtual void FillRoundedRect(int left, int top, int right, int bottom, int ew, int eh);
    virtual void FillRoundedRect(const Point& topLeft, const Point& bottomRight, int ew, int eh);
    virtual void FillRoundedRect(const Rect& rect, int ew, int eh);
    virtual void FillEllipse(int left, int top, int right, int bottom);
    virtual void FillChord(int left, int top, int right, int bottom, int start, int extent);
    virtual void FillPie(int left, int top, int right, int bottom, int start, int extent);
    // Non-convex polygon; nothing for a null array or fewer than 2 points.
    virtual void FillPoly(Point* points, int count);

    virtual void PathStart();
    virtual void PathStroke(SDrawPath*);
    virtual void PathFill(SDrawPath*);
    virtual void PathStrokeFill(SDrawPath*);
    virtual void PathEnd();

    // Bitmaps are shown through memory devices; these do nothing.
    virtual void DrawBitmap(SDrawBitmap*, int, int, int, int, bool, SDrawBitmapMask*);
    virtual void DrawBitmap(SDrawBitmap*, const Rect&, bool, SDrawBitmapMask*);
    // Copies the source rectangle (left, top)-(right, bottom) of the source
    // device to (x, y) with the source device's GC. Nothing for null.
    virtual void DrawMemory(SDrawDevice* source, int x, int y, int left, int top, int right, int bottom);
    virtual void DrawMemory(SDrawDevice* source, const Point& to, const Rect& from);
    virtual void DrawMemory(SDrawDevice* source, int x, int y, int left, int top, int right, int bottom,
                            unsigned char);
    virtual void DrawMemory(SDrawDevice* source, const Point& to, const Rect& from, unsigned char);
    virtual void DrawMemory(SDrawDevice* source, int x, int y, int left, int top, int right, int bottom, int,
                            SDrawBitmapMask*);
    virtual void DrawMemory(SDrawDevice* source, const Point& to, const Rect& from, int, SDrawBitmapMask*);
    // Puts the `from` area of the image at the top-left corner of `to`.
    virtual void DrawImage(SDrawImage* image, const Rect& from, const Rect& to);

    // The pen is passed to the device; the context keeps no pen.
    void SetPen(SDrawPen* pen);
    void SetBrush(SDrawBrush* brush);
    void SetFont(SDrawFont* font);
    SDrawFont* GetFont() const { return font; }
    SDrawBrush* GetBrush() const { return brush; }
    // Stores the on- or off-state text colour and sets it as foreground.
    void SetTextColour(int colour, bool on = false);
    int GetTextColour(bool on) const { return on ? textOn : textOff; }
    // Logical width of the text and ascent + descent of the font; 0 x 0 for
    // an empty text or a null font. Either output may be null.
    void GetTextDimensions(const char* text, int* width, int* height, SDrawFont* font);

    kova::gui::SControl* GetControl() const { return control; }
    SGlobals* GetGlobals() const { return globals; }
    kova::threading::SMutexID& Lock() { return lock; }

private:
    // The connection, GC and drawable of the installed device; false when
    // there is nothing to draw on.
    bool Target(Display*& display, GC& gc, Drawable& drawable);
    // Outline or fill of an ellipse part; angles in degrees, X arc mode.
    void Arc(bool fill, int mode, int left, int top, int right, int bottom, int start, int extent);
    void SetForegroundPixel(int colour);

    SDrawDevice* device = nullptr;
    kova::gui::SControl* control = nullptr;
    SGlobals* globals = nullptr;
    SDrawFont* font = nullptr;
    SDrawBrush* brush = nullptr;
    kova::threading::SMutexID lock;

    int backgroundCurrent = 0;
    int backgroundParent = 0;
    int backgroundOn = 0;
    int backgroundOff = 0;
    int foregroundCurrent = 0;
    int foregroundOn = 0;
    int foregroundOff = 0;
    int textOff = 0;
    int textOn = 0;
    int frameActiveOff = 0;
    int frameInactive = 0;
    int frameActiveOn = 0;

    int fillRule = 0;
    int fillStyle = 0;
    int logic = 15;
};

// A context of the reserved anti-aliased kind: no device, no behaviour of its
// own. Nothing in the system creates one.
class SDrawingAGG : public SDrawing {
public:
    SDrawingAGG(int, SGlobals*, SDrawing*) {}
    ~SDrawingAGG() override = default;

private:
    int reserved1 = 0;
    int reserved2 = 0;
};

}  // namespace kova::gui::context
