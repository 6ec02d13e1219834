#include "kova/gui/label.h"

#include <X11/Xlib.h>
#include <cstring>

#include "kova/gui/context/drawing.h"
#include "kova/gui/context/textblock.h"
#include "kova/gui/sharedpaint.h"

namespace kova::gui {

using kova::gui::context::SDrawFont;

SLabel<false>::SLabel(SGlobals* globals, SControl* owner, unsigned int id, const char* name, int flags, int x,
                      int y, int width, int height, int parentWindow, bool unused)
    : SWindow(globals, owner, id, name, flags, x, y, width, height, parentWindow, unused)
{
}

SLabel<false>::~SLabel() = default;

void SLabel<false>::SetLabelColours(int active, int inactive)
{
    activeLabelColour = active;
    inactiveLabelColour = inactive;
}

int SLabel<false>::GetLabelColour()
{
    return Enabled() ? activeLabelColour : inactiveLabelColour;
}

SLabel<false>::String& SLabel<false>::GetLabel()
{
    return text;
}

void SLabel<false>::SetAlignment(int a)
{
    alignment = a;
}

void SLabel<false>::SetLabelOffset(Point& offset)
{
    labelOffset = offset;
}

void SLabel<false>::SetLabelOffset(const Point& offset)
{
    labelOffset = offset;
}

void SLabel<false>::SetLabelRounding(int r)
{
    rounding = r;
}

void SLabel<false>::Highlight(bool on, int colour, int, int)
{
    highlightColour = colour;
    if (on != highlighted) {
        highlighted = on;
        RefreshOutlines();
    }
}

void SLabel<false>::SetSize(int width, int height)
{
    SControl::SetSize(width, height);
    RedrawLabel();
}

void SLabel<false>::MeasureBlock(const char* s)
{
    const context::TextBlockSize size = context::MeasureTextBlock(font, s, context::EmptyLineHeight::FirstFixes);
    blockWidth = size.width;
    blockHeight = size.height;
}

void SLabel<false>::PlaceLines()
{
    lineRects.clear();
    const int W = Width();
    const int H = Height();
    const int bw = blockWidth;
    const int bh = blockHeight;
    int x0, y0, x1, y1;
    if (alignment & 4) {
        x0 = W - bw;
        y0 = H - bh;
    } else if (!(alignment & 1)) {
        x0 = (W - bw) >> 1;
        y0 = (H - bh) >> 1;
    } else {
        x0 = 0;
        y0 = 0;
    }
    x1 = x0 + bw;
    y1 = y0 + bh;
    if (alignment & 2) {
        y0 = 0;
        y1 = bh;
    } else if (alignment & 8) {
        // A bottom-aligned block sits on the bottom edge.
        y0 = H - bh;
        y1 = H;
    } else {
        y0 = (H - bh) >> 1;
        y1 = y0 + bh;
    }
    const int n = (int)lines.size();
    if (n <= 1) {
        lineRects.emplace_back(x0, y0, x1, y1);
        return;
    }
    const int lineHeight = (y1 - y0) / n;
    for (int k = 0; k < n; ++k)
        lineRects.emplace_back(x0, y0 + k * lineHeight, x1, k == n - 1 ? y1 : y0 + (k + 1) * lineHeight);
}

void SLabel<false>::SetLabel(const char* caption)
{
    if (!font)
        return;
    text.Clear(false);
    text.Append(caption);
    lines.clear();
    lineRects.clear();
    multiLine = std::strchr(text.c_str(), '\n') != nullptr;
    if (!multiLine) {
        lines.push_back(text);
        lineRects.emplace_back(0, 0, Width(), Height());
        return;
    }
    MeasureBlock(text.c_str());
    text.Tokenize(lines, "\n\t\r");
    PlaceLines();
}

void SLabel<false>::SetLabel(const String& caption)
{
    SetLabel(caption.c_str());
}

void SLabel<false>::SetLabel(const char* caption, SDrawFont* f, int a)
{
    font = f;
    alignment = a;
    SetLabel(caption);
}

void SLabel<false>::SetLabel(const String& caption, SDrawFont* f, int a)
{
    font = f;
    alignment = a;
    SetLabel(caption);
}

void SLabel<false>::RedrawLabel()
{
    if (!font || lines.empty())
        return;
    lineRects.clear();
    // A multi-line caption keeps its measured block on resizing, even when
    // it tokenized into a single line.
    if (!multiLine) {
        lineRects.emplace_back(0, 0, Width(), Height());
        return;
    }
    PlaceLines();
}

void SLabel<false>::Draw(const Rect&)
{
    const Rect r(0, 0, Width(), Height());
    if (!(GetFlags() & Rounded)) {
        SControl::Draw(r);
        DrawLabel();
        return;
    }
    if (!drawing)
        return;
    drawing->DrawBackground(r, true);
    SelectPenAndBrush(drawing, drawing->GetBackgroundColour());
    drawing->FillRoundedRect(r, rounding, rounding);
    DrawLabel();
    DrawOutlines(r);
}

void SLabel<false>::DrawOutlines(const Rect& r)
{
    if (!drawing)
        return;
    int colour;
    if (highlighted)
        colour = highlightColour;
    else if (!(GetFlags() & Outlined))
        return;
    else
        colour = GetFrameColour(Enabled(), false);
    SelectPen(drawing, colour);
    if (GetFlags() & Rounded)
        drawing->DrawRoundedRect(r, rounding, rounding);
    else
        drawing->DrawRect(r);
}

void SLabel<false>::DrawLabel()
{
    if (lines.empty() || !font || !drawing)
        return;
    const bool active = Enabled();
    drawing->SetFont(font);
    drawing->SetTextColour(active ? activeLabelColour : inactiveLabelColour, false);
    SelectPen(drawing, drawing->GetTextColour(false));
    for (size_t k = 0; k < lineRects.size() && k < lines.size(); ++k) {
        if (vertical)
            drawing->DrawVerticalLabel(lines[k], lineRects[k], 8, alignment, labelOffset, false, false, nullptr);
        else
            drawing->DrawLabel(lines[k], lineRects[k], alignment, labelOffset);
    }
}

int LabelClickValue(int code)
{
    switch (code) {
    case context::SInput::LeftDown:
    case context::SInput::LeftDouble: return kClickLeft;
    case context::SInput::RightDown:
    case context::SInput::RightDouble: return kClickRight;
    case context::SInput::MiddleDown:
    case context::SInput::MiddleDouble: return kClickMiddle;
    default: return 0;
    }
}

void SLabel<false>::ReportClick(int code)
{
    if (int value = LabelClickValue(code))
        SendEvent(kChannelClick, SEvent::KindValue, value, 0.0f, nullptr, this, nullptr);
}

void SLabel<false>::MouseStateChanged(bool* state, int code)
{
    SControl::MouseStateChanged(state, code);
    ReportClick(code);
}

}  // namespace kova::gui
