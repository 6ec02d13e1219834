#include "kova/gui/cyclebutton.h"

#include "kova/gui/context/drawing.h"
#include "kova/gui/input.h"

namespace kova::gui {

using kova::gui::context::SInput;

SCycleButton::SCycleButton(SGlobals* globals, SControl* owner, unsigned int id, const char* name, int flags, int x,
                           int y, int width, int height, int parentWindow, const char* const* captions, int count)
    : SButton<false>(globals, owner, id, name, flags, x, y, width, height, parentWindow, false),
      captions(captions),
      count(count > 0 ? count : 1)
{
    // The button's own left press would toggle; this one steps instead.
    SetType(NoLeftPress);
}

void SCycleButton::MouseStateChanged(bool* state, int code)
{
    SButton<false>::MouseStateChanged(state, code);
    if (!AcceptsMouse() || !state)
        return;
    int step = 0;
    if (code == SInput::LeftDown || code == SInput::LeftDouble)
        step = 1;
    else if (code == SInput::Wheel)
        step = state[SInput::WheelUp] ? 1 : state[SInput::WheelDown] ? -1 : 0;
    if (step != 0)
        SetValue(((GetValue() + step) % count + count) % count, true);
}

bool SCycleButton::SetValue(int v, bool notify)
{
    if (v < 0 || v >= count)
        return false;
    return SButton<false>::SetValue(v, notify);
}

int SCycleButton::GetLabelColour()
{
    if (!Enabled())
        return inactiveLabelColour;
    return value != 0 ? GetLabelColourOn() : activeLabelColour;
}

const char* SCycleButton::Caption() const
{
    return captions && value >= 0 && value < count ? captions[value] : "";
}

void SCycleButton::DrawLabel()
{
    if (!font || !drawing)
        return;
    drawing->SetFont(font);
    drawing->SetTextColour(GetLabelColour(), value > 0);
    drawing->DrawLabel(Caption(), Rect(0, 0, Width(), Height()), alignment, labelOffset);
}

}  // namespace kova::gui
