#include "kova/gui/context/drawobjects.h"

#include "kova/gui/context/staticdata.h"

namespace kova::gui {

void SDrawObject::Draw(kova::gui::context::SDrawing* drawing)
{
    if (!drawing)
        return;
    const int saved = drawing->GetBackgroundColour();
    drawing->SetBackground(background, false);
    drawing->DrawBackground(Placed(), false);
    drawing->SetBackground(saved, false);
}

void SDrawRect::Draw(kova::gui::context::SDrawing* drawing)
{
    if (!drawing || !statdata)
        return;
    const Rect r = Placed();
    if (filled) {
        drawing->SetBrush(statdata->FindBrush(background));
        drawing->FillRect(r);
    }
    drawing->SetPen(statdata->FindPen(frame));
    drawing->DrawRect(r);
}

void STextObject::Draw(kova::gui::context::SDrawing* drawing)
{
    if (!drawing)
        return;
    SDrawObject::Draw(drawing);
    drawing->SetTextColour(textColour, false);
    const Rect r(rect.x0 + textOffset.x, rect.y0 + textOffset.y, rect.x1 + textOffset.x, rect.y1 + textOffset.y);
    drawing->DrawLabel(text, r, flags, Point(0, 0));
}

void STextObjectX::Draw(kova::gui::context::SDrawing* drawing)
{
    if (!drawing)
        return;
    SDrawObject::Draw(drawing);
    drawing->SetFont(font);
    drawing->SetTextColour(textColour, false);
    const Rect r(rect.x0 + textOffset.x, rect.y0 + textOffset.y, rect.x1 + textOffset.x, rect.y1 + textOffset.y);
    drawing->DrawLabel(text, r, flags, Point(0, 0));
}

}  // namespace kova::gui
