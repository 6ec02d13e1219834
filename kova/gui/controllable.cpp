#include "kova/gui/controllable.h"

#include <X11/Xlib.h>

#include "kova/gui/connection.h"
#include "kova/gui/context/bitmap.h"
#include "kova/gui/context/colour.h"
#include "kova/gui/context/drawing.h"
#include "kova/gui/context/memorydevice.h"
#include "kova/gui/input.h"
#include "kova/gui/sharedpaint.h"

namespace kova::gui {

using namespace kova::gui::context;

SControllable<int, false>::SControllable(SGlobals* globals, SControl* owner, unsigned int id, const char* name,
                                         int flags, int x, int y, int width, int height, int parentWindow,
                                         bool unused)
    : SLabel<false>(globals, owner, id, name, flags, x, y, width, height, parentWindow, unused),
      valueColour(SCOL(0, 255, 255)),
      controlColours{StandardColour(4), StandardColour(4), StandardColour(0), StandardColour(10)},
      bufferWidth(width),
      bufferHeight(height),
      handleRect(0, 0, width, height)
{
}

SControllable<int, false>::~SControllable()
{
    DeleteBitmaps();
    delete bufferDevice;
    bufferDevice = nullptr;
    delete bufferBitmap;
    bufferBitmap = nullptr;
}

void SControllable<int, false>::DeleteBitmaps()
{
    delete backgroundDevice;
    backgroundDevice = nullptr;
    delete handleDevice;
    handleDevice = nullptr;
    delete backgroundBitmap;
    backgroundBitmap = nullptr;
    delete handleBitmap;
    handleBitmap = nullptr;
}

void SControllable<int, false>::CreateBuffer()
{
    delete bufferDevice;
    bufferDevice = nullptr;
    delete bufferBitmap;
    bufferBitmap = new SDrawBitmap(nullptr, bufferWidth, bufferHeight, false);
    bufferDevice = new SDrawMemoryDevice(drawing ? drawing->GetDevice() : nullptr, bufferBitmap);
}

void SControllable<int, false>::Reset()
{
    ResetValue();
}

void SControllable<int, false>::SetType(int t)
{
    type = t;
}

void SControllable<int, false>::SetControlColours(int a, int b, int c, int d)
{
    controlColours[0] = a;
    controlColours[1] = b;
    controlColours[2] = c;
    controlColours[3] = d;
}

void SControllable<int, false>::SetValueColour(int colour)
{
    valueColour = colour;
}

int SControllable<int, false>::GetValueColour()
{
    return valueColour;
}

void SControllable<int, false>::SetValueFont(SDrawFont* f)
{
    valueFont = f;
}

void SControllable<int, false>::SetHoverColours(int normal, int hover)
{
    hoverColourOff = normal;
    hoverColourOn = hover;
}

void SControllable<int, false>::SetHandleZone(const Rect& zone)
{
    handleZone = zone;
}

void SControllable<int, false>::SetHandleColours(int a, int b)
{
    controlColours[2] = b;
    controlColours[3] = a;
}

void SControllable<int, false>::SetValueZone(const Rect& zone)
{
    valueZone = zone;
    type |= HasValueZone;
}

void SControllable<int, false>::SetValueOffset(const Point& offset)
{
    valueOffset = offset;
}

void SControllable<int, false>::SetBitmaps(SDrawBitmap* background, SDrawBitmap* handle)
{
    DeleteBitmaps();
    if (background && handle) {
        backgroundBitmap = background;
        handleBitmap = handle;
        type |= BitmapMode;
        SDrawDevice* parent = drawing ? drawing->GetDevice() : nullptr;
        backgroundDevice = new SDrawMemoryDevice(parent, backgroundBitmap);
        handleDevice = new SDrawMemoryDevice(parent, handleBitmap);
        handleRect = Rect(0, 0, handle->Width(), handle->Height());
        return;
    }
    type &= ~BitmapMode;
    delete background;
    delete handle;
}

void SControllable<int, false>::SetDoubleBuffer()
{
    CreateBuffer();
    if (type & BitmapMode) {
        delete handleDevice;
        delete handleBitmap;
        handleBitmap = new SDrawBitmap(nullptr, handleRect.x1 - handleRect.x0, handleRect.y1 - handleRect.y0, false);
        handleDevice = new SDrawMemoryDevice(drawing ? drawing->GetDevice() : nullptr, handleBitmap);
    }
}

int SControllable<int, false>::CalcHandleOffset()
{
    const int zoneWidth = handleZone.x1 - handleZone.x0;
    const int handleWidth = handleRect.x1 - handleRect.x0;
    return handleZone.x0 + (int)RoundHalfUp((double)(zoneWidth - handleWidth) * (value - min) * scale);
}

void SControllable<int, false>::SendControlEvent()
{
    SendEvent(kChannelValue, SEvent::KindValue, value, 0.0f, nullptr, this, nullptr);
}

void SControllable<int, false>::ValueChange(bool up, int amount)
{
    int v = value;
    if (up && v < max)
        v += amount;
    else if (!up && v > min)
        v -= amount;
    if (v == value)
        return;
    if (amount == 1) {
        SetValue(v, false);
    } else if (!SetValueClipped(v)) {
        return;
    }
    Refresh();
    SendControlEvent();
}

bool SControllable<int, false>::QueryPointer(Point& client, Point& root)
{
    Display* display = GetDisplay();
    if (!display || !window)
        return false;
    Window r = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display, window, &r, &child, &rootX, &rootY, &winX, &winY, &mask))
        return false;
    client = Point(winX, winY);
    root = Point(rootX, rootY);
    return true;
}

void SControllable<int, false>::MouseStateChanged(bool* state, int code)
{
    // Value controls report on channel 5 only, not with the label's clicks.
    SControl::MouseStateChanged(state, code);
    switch (code) {
    case SInput::Entered:
        hovered = true;
        RefreshOutlines();
        break;
    case SInput::Moving:
        if (!hovered) {
            hovered = true;
            RefreshOutlines();
        }
        break;
    case SInput::Left:
        hovered = false;
        RefreshOutlines();
        break;
    case SInput::Released:
        hovered = state && state[SInput::Inside];
        RefreshOutlines();
        break;
    case SInput::Captured: {
        Point client, root;
        if (QueryPointer(client, root) && !handleZone.Contains(client))
            MouseReleaseCapture();
        break;
    }
    case SInput::LeftDown:
    case SInput::RightDown:
    case SInput::MiddleDown:
    case SInput::LeftDouble:
    case SInput::RightDouble:
    case SInput::MiddleDouble: {
        if (!hovered) {
            hovered = true;
            RefreshOutlines();
        }
        Point client, root;
        if (!AcceptsMouse() || !QueryPointer(client, root) || !handleZone.Contains(client))
            break;
        if (state && (state[SInput::MiddleDown] || state[SInput::MiddleDouble])) {
            int v = value;
            if (client.x > handleZone.x0 + ((handleZone.x1 - handleZone.x0) >> 1))
                v = v < max ? v + 1 : v;
            else
                v = v > min ? v - 1 : v;
            if (SetValue(v, true)) {
                Refresh();
                SendControlEvent();
            }
            break;
        }
        dragX = root.x;
        dragY = root.y;
        // The reset is a change like any other: listeners hear it, so the
        // value shown never parts from the one behind it.
        if (state && state[SInput::Control]) {
            if (ResetValue()) {
                Refresh();
                SendControlEvent();
            }
        }
        break;
    }
    default:
        break;
    }
}

}  // namespace kova::gui
