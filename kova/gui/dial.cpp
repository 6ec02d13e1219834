#include "kova/gui/dial.h"

#include "kova/gui/context/bitmap.h"
#include "kova/gui/context/drawing.h"
#include "kova/gui/context/memorydevice.h"
#include "kova/gui/input.h"
#include "kova/gui/sharedpaint.h"

namespace kova::gui {

using namespace kova::gui::context;

SDial<int>::SDial(SGlobals* globals, SControl* owner, int id, const char* name, int flags, int x, int y, int width,
                  int height, bool labelBackground, bool wholeHandleZone, int parentWindow, int v, int lo, int hi,
                  int def)
    : SControllable<int, false>(globals, owner, (unsigned)id, name, flags, x, y, width, height, parentWindow, false),
      valueCount(hi == lo ? 1 : hi - lo + 1),
      initialValue(v)
{
    this->flags |= OutlineOnHover | AutoCapture;
    if (labelBackground)
        type |= LabelBackground;
    if (wholeHandleZone) {
        type |= WholeHandleZone;
        handleZone = Rect(0, 0, width, height);
    }
    value = v;
    min = lo;
    max = hi;
    SetValueDef(def);
    CalcValueMed();
    CalcScale();
    CreateBuffer();
}

SDial<int>::~SDial()
{
    if (valueTextsOwned)
        delete[] valueTexts;
    valueTexts = nullptr;
}

void SDial<int>::SetValueTexts(String* texts, int count, bool owned)
{
    if (valueTextsOwned && valueTexts != texts)
        delete[] valueTexts;
    valueTexts = texts;
    valueTextCount = texts ? count : 0;
    valueTextsOwned = owned;
}

void SDial<int>::SetSpecialColour(int special, int colour, bool on)
{
    specialValue = special;
    specialColour = colour;
    useSpecialColour = on;
}

void SDial<int>::SetDragThresholds(int left, int right)
{
    leftThreshold = left;
    rightThreshold = right;
}

bool SDial<int>::SetValue(int v, bool)
{
    if (v == value)
        return false;
    value = v;
    Refresh();
    return true;
}

SDial<int>::String SDial<int>::ValueText() const
{
    // A value outside the table falls back to the number.
    if (useTexts && valueTexts && value >= 0 && value < valueTextCount)
        return valueTexts[value];
    return String(32, "%i", value);
}

int SDial<int>::ValueTextColour()
{
    if (useSpecialColour && value == specialValue)
        return specialColour;
    return GetLabelColour();
}

void SDial<int>::Draw(const Rect&)
{
    if (!drawing || !bufferDevice)
        return;
    const Rect r(0, 0, Width(), Height());
    SDrawDevice* windowDevice = drawing->GetDevice();
    drawing->SetDevice(bufferDevice);

    if ((type & BitmapMode) && backgroundDevice) {
        drawing->DrawMemory(backgroundDevice, Point(0, 0), r);
    } else if (type & LabelBackground) {
        SLabel<false>::Draw(r);
    } else if (GetFlags() & Rounded) {
        drawing->DrawBackground(r, true);
        SelectPenAndBrush(drawing, drawing->GetBackgroundColour());
        drawing->FillRoundedRect(r, 5, 5);
    } else {
        drawing->DrawBackground(r, false);
    }
    DrawHandle();
    DrawValue();
    DrawOutlines(r);

    drawing->SetDevice(windowDevice);
    drawing->DrawMemory(bufferDevice, Point(0, 0), r);
}

void SDial<int>::DrawHandle()
{
    if (type & BitmapMode) {
        if (handleDevice)
            drawing->DrawMemory(handleDevice, Point(handleRect.x0, handleRect.y0),
                                Rect(0, 0, handleRect.x1 - handleRect.x0, handleRect.y1 - handleRect.y0));
        return;
    }
    drawing->SetBackgroundMode(true);
    SelectPenAndBrush(drawing, controlColours[3]);
    if (GetFlags() & Rounded)
        drawing->FillRoundedRect(handleRect, 5, 5);
    else
        drawing->FillRect(handleRect);
}

void SDial<int>::DrawValue()
{
    if (!valueFont)
        return;
    drawing->SetFont(valueFont);
    drawing->SetTextColour(ValueTextColour(), false);
    const Rect at(handleRect.x0 + labelOffset.x, handleRect.y0 + labelOffset.y, handleRect.x1 + labelOffset.x,
                  handleRect.y1 + labelOffset.y);
    drawing->DrawLabel(ValueText(), at, 0, Point(0, 0));
}

void SDial<int>::DrawOutlines(const Rect& r)
{
    if (!drawing)
        return;
    SelectPen(drawing, hovered ? hoverColourOn : hoverColourOff);
    if (GetFlags() & Rounded)
        drawing->DrawRoundedRect(r, 5, 5);
    else
        drawing->DrawRect(r);
}

bool SDial<int>::PointerInHandleZone()
{
    Point client, root;
    return QueryPointer(client, root) && handleZone.Contains(client);
}

void SDial<int>::SendGesture(bool begins)
{
    held = begins;
    SendEvent(GestureChannel, SEvent::KindValue, begins ? GestureBegins : GestureEnds, 0.0f, nullptr, this,
              nullptr);
}

void SDial<int>::LetGo()
{
    if (capture == this)
        MouseReleaseCapture();
    if (input)
        input->Reset();
    held = false;
}

void SDial<int>::MouseStateChanged(bool* state, int code)
{
    switch (code) {
    case SInput::LeftDown: case SInput::RightDown: case SInput::MiddleDown:
    case SInput::LeftDouble: case SInput::RightDouble: case SInput::MiddleDouble:
        // Reported before the press acts: a middle click steps at once.
        if (!held && AcceptsMouse() && PointerInHandleZone())
            SendGesture(true);
        break;
    default:
        break;
    }
    SControllable<int, false>::MouseStateChanged(state, code);
    if (held && (code == SInput::Released || (code == SInput::Captured && !HoldsCapture(state))))
        SendGesture(false);
    if (code != SInput::Wheel || !AcceptsMouse() || !state)
        return;
    if (state[SInput::WheelUp])
        ValueChange(true, 1);
    else if (state[SInput::WheelDown])
        ValueChange(false, 1);
}

bool SDial<int>::HoldsCapture(const bool* state) const
{
    return capture == this || (state && state[SInput::Captured]);
}

void SDial<int>::MousePosChanged(int, int dy)
{
    bool* state = input ? input->flags : nullptr;
    if (!AcceptsMouse() || !state || !HoldsCapture(state))
        return;
    Point client, root;
    if (!QueryPointer(client, root))
        return;
    const int y = root.y;
    int threshold;
    if (state[SInput::LeftDown])
        threshold = thresholdDrag ? leftThreshold : 0;
    else if (state[SInput::RightDown])
        threshold = rightThreshold;
    else
        return;
    if (dy < 0 && y < dragY - threshold) {
        ValueChange(true, threshold == 0 ? -dy : 1);
        dragY = y;
    } else if (dy > 0 && y > dragY + threshold) {
        ValueChange(false, threshold == 0 ? dy : 1);
        dragY = y;
    }
}

}  // namespace kova::gui
