// Selecting the shared pens and brushes of `statdata` on a drawing context.
// Widgets never create pens or brushes of their own: the lists find one of
// the colour or append it, and keep it until the library is unloaded.
#pragma once

#include "kova/gui/context/drawing.h"
#include "kova/gui/context/staticdata.h"

namespace kova::gui {

inline void SelectPen(kova::gui::context::SDrawing* drawing, int colour)
{
    if (drawing && statdata)
        drawing->SetPen(statdata->FindPen(colour));
}

inline void SelectBrush(kova::gui::context::SDrawing* drawing, int colour)
{
    if (drawing && statdata)
        drawing->SetBrush(statdata->FindBrush(colour));
}

inline void SelectPenAndBrush(kova::gui::context::SDrawing* drawing, int colour)
{
    SelectPen(drawing, colour);
    SelectBrush(drawing, colour);
}

// Standard colour i of the shared table (0 before the colours exist).
inline int StandardColour(int i)
{
    return statdata ? statdata->Colour(i) : 0;
}

}  // namespace kova::gui
