#include "kova/gui/button.h"

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

SButton<false>::SButton(SGlobals* globals, SControl* owner, unsigned int id, const char* name, int flags, int x,
                        int y, int width, int height, int parentWindow, bool unused)
    : SLabel<false>(globals, owner, id, name, flags, x, y, width, height, parentWindow, unused),
      labelColourOn(SCOL(255, 255, 255))
{
    this->flags |= OutlineOnHover;
}

SButton<false>::~SButton()
{
    DeletePictures();
}

void SButton<false>::DeletePictures()
{
    delete offDevice;
    offDevice = nullptr;
    delete onDevice;
    onDevice = nullptr;
    delete offPicture;
    offPicture = nullptr;
    delete onPicture;
    onPicture = nullptr;
}

void SButton<false>::SetType(int t)
{
    type = t;
}

bool SButton<false>::SetValue(int v, bool notify)
{
    if (v == value)
        return false;
    value = v;
    SetDrawingMode(v != 0);
    Refresh();
    if (notify)
        SendEvent(kChannelClick, SEvent::KindValue, GetValue(), 0.0f, nullptr, this, nullptr);
    return true;
}

int SButton<false>::GetValue()
{
    return value;
}

void SButton<false>::Reset()
{
    SetValue(0, true);
    ignorePress = true;
}

void SButton<false>::Toggle()
{
    if (value != 0) {
        if (type & Menu)
            CloseMenu();
        SetValue(0, (type & (NotifyOff | NotifyOff2)) != 0);
        return;
    }
    if (!(type & Menu)) {
        SetValue(1, true);
        return;
    }
    // Menus belong to the toolkit periphery, which this build leaves out: a
    // menu button has no menu to open.
    ignorePress = false;
    CloseMenu();
}

void SButton<false>::ClearState()
{
    CloseTip();
    if (GetFlags() & AutoCapture)
        MouseReleaseCapture();
    if (input)
        input->Reset();
    MouseTracker(false);
    hovered = false;
    if (type & Push)
        value = 0;
    Draw(Rect(0, 0, Width(), Height()));
}

void SButton<false>::SetHoverColours(int off, int on)
{
    SIHoverable::SetHoverColours(off, on);
}

void SButton<false>::SetLabelColours(int active, int inactive)
{
    SLabel<false>::SetLabelColours(active, inactive);
    labelColourOn = active;
}

void SButton<false>::SetLabelColourActive(int colour)
{
    labelColourOn = colour;
}

int SButton<false>::GetLabelColour()
{
    if (!Enabled())
        return inactiveLabelColour;
    return value == 1 ? labelColourOn : activeLabelColour;
}

void SButton<false>::SetLabelAlternative(const char* caption, bool use)
{
    alternative.Clear(false);
    alternative.Append(caption);
    useAlternative = use;
}

void SButton<false>::UsePictures()
{
    type |= Bitmap;
    SDrawDevice* parent = drawing ? drawing->GetDevice() : nullptr;
    offDevice = new SDrawMemoryDevice(parent, offPicture);
    onDevice = new SDrawMemoryDevice(parent, onPicture);
}

void SButton<false>::SetBitmaps(void* offXpm, void* onXpm, int width, int height)
{
    DeletePictures();
    if (offXpm && onXpm) {
        offPicture = new SDrawBitmap(offXpm, width, height, false);
        onPicture = new SDrawBitmap(onXpm, width, height, false);
        if (offPicture->GetPixmap() && onPicture->GetPixmap()) {
            UsePictures();
            return;
        }
    }
    type &= ~Bitmap;
    DeletePictures();
}

void SButton<false>::SetBitmaps(SDrawBitmap* off, SDrawBitmap* on)
{
    DeletePictures();
    if (off && on && off->GetPixmap() && on->GetPixmap()) {
        offPicture = off;
        onPicture = on;
        UsePictures();
        return;
    }
    type &= ~Bitmap;
    delete off;
    delete on;
}

void SButton<false>::Draw(const Rect&)
{
    if (!drawing)
        return;
    const Rect r(0, 0, Width(), Height());
    if (type & Bitmap) {
        SDrawMemoryDevice* device = value != 0 ? onDevice : offDevice;
        if (device)
            drawing->DrawMemory(device, Point(0, 0), r);
    } else {
        drawing->SetBackgroundColour(value > 0);
        if (GetFlags() & Rounded) {
            drawing->DrawBackground(r, true);
            SelectPenAndBrush(drawing, drawing->GetBackgroundColour());
            drawing->FillRoundedRect(r, rounding, rounding);
        } else {
            drawing->DrawBackground(r, false);
        }
        DrawLabel();
    }
    DrawOutlines(r);
}

void SButton<false>::DrawLabel()
{
    if (lines.empty() || !font || !drawing)
        return;
    drawing->SetFont(font);
    drawing->SetTextColour(GetLabelColour(), value > 0);
    if (value == 1 && useAlternative) {
        const Rect r(0, 0, Width(), Height());
        if (vertical)
            drawing->DrawVerticalLabel(alternative, r, 8, alignment, labelOffset, false, false, nullptr);
        else
            drawing->DrawLabel(alternative, r, alignment, labelOffset);
        return;
    }
    for (size_t k = 0; k < lineRects.size() && k < lines.size(); ++k) {
        if (vertical)
            drawing->DrawVerticalLabel(lines[k], lineRects[k], 8, alignment, labelOffset, false, false, nullptr);
        else
            drawing->DrawLabel(lines[k], lineRects[k], alignment, labelOffset);
    }
}

void SButton<false>::DrawOutlines(const Rect& r)
{
    if (!drawing)
        return;
    int colour;
    if (highlighted)
        colour = highlightColour;
    else if (hovered)
        colour = value < 1 ? hoverColourOff : hoverColourOn;
    else if (GetFlags() & Outlined)
        colour = GetFrameColour(Enabled(), value > 0);
    else
        colour = drawing->GetParentBackgroundColour();  // paints the outline over
    SelectPen(drawing, colour);
    if (GetFlags() & Rounded)
        drawing->DrawRoundedRect(r, rounding, rounding);
    else
        drawing->DrawRect(r);
}

void SButton<false>::ComputeInside(bool* state)
{
    bool inside = false;
    Display* display = GetDisplay();
    if (display && window) {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, winX = 0, winY = 0;
        unsigned int mask = 0;
        if (XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &winX, &winY,
                          &mask)) {
            Point p(rootX, rootY);
            GetScreen2Client(p);
            inside = p.x >= 0 && p.y >= 0 && p.x <= Width() && p.y <= Height();
        }
    }
    if (state)
        state[SInput::Inside] = inside;
    hovered = inside;
}

void SButton<false>::MouseStateChanged(bool* state, int code)
{
    SControl::MouseStateChanged(state, code);
    if (!AcceptsMouse())
        return;
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
        ignorePress = false;
        break;
    case SInput::Left:
        if ((type & Push) && value == 1)
            Toggle();
        hovered = false;
        RefreshOutlines();
        ignorePress = false;
        break;
    case SInput::LeftDown:
    case SInput::LeftDouble:
        hovered = true;
        if (type & Flash) {
            Toggle();
            value = 0;
            SetDrawingMode(false);
            ComputeInside(state);
            Refresh();
        } else if (type & Menu) {
            if (value != 0 || ignorePress)
                ignorePress = false;
            else
                Toggle();
        } else if (!(type & NoLeftPress)) {
            Toggle();
        }
        break;
    case SInput::RightDown:
    case SInput::RightDouble:
    case SInput::MiddleDown:
    case SInput::MiddleDouble: {
        const bool middle = code == SInput::MiddleDown || code == SInput::MiddleDouble;
        if (type & Menu) {
            if (middle) {
                CloseMenu();
                SetValue(0, true);
                break;
            }
            if (value != 0 || ignorePress)
                ignorePress = false;
            else
                Toggle();
        }
        hovered = true;
        if (type & Flash) {
            SetDrawingMode(true);
            Refresh();
            SendEvent(kChannelClick, SEvent::KindValue, middle ? kClickMiddle : kClickRight, 0.0f, nullptr, this,
                      nullptr);
            value = 0;
            SetDrawingMode(false);
            Refresh();
            ComputeInside(state);
            RefreshOutlines();
            if (middle)
                RefreshOutlines();
        }
        break;
    }
    case SInput::Released:
        if ((type & Push) && value == 1)
            Toggle();
        ComputeInside(state);
        RefreshOutlines();
        if ((type & Menu) && value == 0)
            ignorePress = false;
        break;
    default:
        break;
    }
}

}  // namespace kova::gui
