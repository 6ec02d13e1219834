#include "kova/gui/tooltip.h"

#include <X11/Xlib.h>
#include <algorithm>
#include <cstring>

#include "kova/gui/context/colour.h"
#include "kova/gui/context/drawing.h"
#include "kova/gui/context/drawobjects.h"
#include "kova/gui/context/textblock.h"
#include "kova/gui/globals.h"
#include "kova/gui/sharedpaint.h"
#include "kova/gui/window.h"

namespace kova::gui {

using namespace kova::gui::context;

// ------------------------------------------------------------ SToolTipData

SToolTipData::SToolTipData(SToolTip* tip, SControl* owner, int placement)
    : tip(tip), owner(owner), placement(placement)
{
}

SToolTipData::~SToolTipData()
{
    if (tip && tip->current == this) {
        tip->Close();
        tip->current = nullptr;
    }
    for (SDrawObject* object : objects)
        delete object;
    objects.clear();
}

SToolTipData::Point SToolTipData::GetOffset() const
{
    return Flipped() ? flippedOffset : offset;
}

void SToolTipData::SetOffset(const Point& p, bool)
{
    if (Flipped())
        flippedOffset = p;
    else
        offset = p;
}

void SToolTipData::SetFlipped(bool f)
{
    if (tip)
        tip->flipped = f;
}

bool SToolTipData::Flipped() const
{
    return tip && tip->flipped;
}

void SToolTipData::Open(const Point& rootPoint)
{
    if (tip)
        tip->Open(this, rootPoint);
}

void SToolTipData::Close()
{
    if (tip)
        tip->Close();
}

int SToolTipData::AddLabel(const char* text, unsigned int unused)
{
    String copy;
    copy.Append(text);
    return AddLabel(copy, unused);
}

int SToolTipData::AddLabel(const String& text, unsigned int unused)
{
    String copy(text);
    return AddLabel(copy, unused);
}

int SToolTipData::AddLabel(String& text, unsigned int)
{
    if (!tip || !tip->regularFont)
        return 0;
    SDrawFont* font = tip->regularFont;
    lines.clear();
    lineRects.clear();

    int W = 0;
    int B = 0;
    const char* s = text.c_str();
    if (std::strchr(s, '\n')) {
        const TextBlockSize size = MeasureTextBlock(font, s, EmptyLineHeight::FirstFixes);
        const int total = size.height;
        W = size.width;
        text.Tokenize(lines, "\n\t\r");
        B = total + 4;
        boxWidth = W + 48;
        boxHeight = total + 20;
    } else {
        int h = 0;
        TextExtents(font, s, (int)std::strlen(s), W, h);
        if (!*s) {
            // The empty text still measures the font's height as zero.
            h = 0;
        }
        B = h + 4;
        boxWidth = W + 48;
        boxHeight = h + 20;
        lines.push_back(text);
    }

    int x = (boxWidth - W) >> 1;
    if (placement == SIToolTipAnchor::PlaceRight)
        x += 4;
    else if (placement == SIToolTipAnchor::PlaceLeft)
        x -= 4;
    const int y = (boxHeight - B - 4) >> 1;

    const int n = (int)lines.size();
    if (n <= 1) {
        lineRects.emplace_back(x, y, x + W, y + B);
    } else {
        const int L = B / n;
        for (int k = 0; k < n; ++k)
            lineRects.emplace_back(x, y + k * L, x + W, k == n - 1 ? y + B : y + (k + 1) * L);
    }

    const size_t first = objects.size();
    const int background = tip->GetBackgroundColour();
    const int frame = tip->GetForegroundColour();
    for (int k = 0; k < n; ++k) {
        objects.push_back(new STextObjectX(lineRects[(size_t)k], Point(0, 0), background, frame, lines[(size_t)k],
                                           Point(0, 0), tip->textColour, tip->textFlags, font));
        Calculate();
    }
    if (tip->highlightFirst && objects.size() > first)
        static_cast<STextObjectX*>(objects[first])->textColour = tip->firstLineColour;
    if (tip->boldSecond && objects.size() > first + 1)
        static_cast<STextObjectX*>(objects[first + 1])->font = tip->boldFont;

    lines.clear();
    lineRects.clear();
    return Calculate();
}

int SToolTipData::Calculate()
{
    if (objects.empty())
        return contentRect.x1 - contentRect.x0;
    Rect box(1000000, 1000000, -100000, -100000);
    for (SDrawObject* object : objects) {
        box.x0 = std::min(box.x0, object->rect.x0);
        box.y0 = std::min(box.y0, object->rect.y0);
        box.x1 = std::max(box.x1, object->rect.x1);
        box.y1 = std::max(box.y1, object->rect.y1);
    }
    const int width = box.x1 - box.x0;
    if (width > contentRect.x1 - contentRect.x0) {
        for (SDrawObject* object : objects)
            object->rect.x1 = object->rect.x0 + width;
    }
    contentRect = box;
    return width;
}

// ------------------------------------------------------------ SToolTip

SToolTip::SToolTip(SWindow* owner, bool)
    : ownerWindow(owner),
      textColour(SCOL(0, 0, 0)),
      firstLineColour(SCOL(255, 0, 0)),
      arrowColour(SCOL(255, 128, 0)),
      indicatorColour(StandardColour(10))
{
    globals = owner ? owner->GetGlobals() : nullptr;
    kova::data::datastring<32, char> name(64, "%s (Tooltip)", owner ? owner->SControl::GetLabel().c_str() : "");
    const unsigned int newId = globals ? (unsigned)globals->NextId() : 0;
    Create(globals, owner, newId, name.c_str(), DialogUnderRoot | Dialog, 100, 100, 200, 32,
           owner ? (int)owner->GetWindow() : 0, false);
    const int white = StandardColour(0);
    const int black = StandardColour(20);
    SetColours(white, white, white, black, black, white, white);
    regularFont = new SDrawFont(10, false, false, false, nullptr);
    boldFont = new SDrawFont(10, true, false, false, nullptr);
    indicatorColour = StandardColour(10);
    if (owner)
        owner->Add(this);
}

SToolTip::~SToolTip()
{
    // The owner deletes its children last first, so the controls listed here
    // (added after the tip) and their tooltip data are gone already.
    current = nullptr;
    delete regularFont;
    regularFont = nullptr;
    delete boldFont;
    boldFont = nullptr;
    controls.clear();
}

void SToolTip::AddControl(SControl* control)
{
    if (control && std::find(controls.begin(), controls.end(), control) == controls.end())
        controls.push_back(control);
}

void SToolTip::RemoveControl(SControl* control)
{
    controls.erase(std::remove(controls.begin(), controls.end(), control), controls.end());
}

void SToolTip::Open(SToolTipData* data, const Point& p)
{
    if (!data)
        return;
    Close();
    current = data;
    const Rect content = data->ContentRect();
    SetSize((content.x1 - content.x0) + 48, (content.y1 - content.y0) + 16);
    if (roundShape) {
        SetRoundShape(false);
        SetRoundShape(true);
    }
    SetPosition(p.x, p.y);
    Show();
    shown = true;
}

void SToolTip::Close()
{
    if (!shown)
        return;
    Hide();
    shown = false;
}

void SToolTip::MouseStateChanged(bool* state, int code)
{
    SControl::MouseStateChanged(state, code);
    if (code == 2 || (state && !state[16]))
        Close();
}

int SToolTip::EnableTooltips(bool on)
{
    enabled = on;
    for (SControl* control : controls)
        control->EnableTooltip(enabled);
    indicatorColour = StandardColour(enabled ? 4 : 10);
    return indicatorColour;
}

int SToolTip::ToggleTooltips()
{
    return EnableTooltips(!enabled);
}

void SToolTip::DrawTiprect(SDrawing* d)
{
    if (!d)
        return;
    SelectBrush(d, indicatorColour);
    d->FillRect(indicatorRect);
}

void SToolTip::Draw(const Rect&)
{
    if (!drawing)
        return;
    const int w = Width();
    const int h = Height();
    const Rect R(0, 0, w, h);
    if (roundShape) {
        SelectPenAndBrush(drawing, drawing->GetBackgroundColour());
        drawing->FillRoundedRect(R, 7, 7);
        SelectPen(drawing, StandardColour(20));
        drawing->DrawRoundedRect(R, 7, 7);
    } else {
        drawing->DrawBackground(R, false);
        SelectPen(drawing, StandardColour(20));
        drawing->DrawRect(R);
    }
    if (!current || current->Objects().empty())
        return;
    for (SDrawObject* object : current->Objects())
        object->Draw(drawing);

    const int hw = w >> 1;
    const int hh = h >> 1;
    Point bottom[4] = {Point(hw, h - 1), Point(hw + 3, h - 5), Point(hw - 3, h - 5), Point(hw, h - 1)};
    Point top[4] = {Point(hw, 1), Point(hw + 3, 5), Point(hw - 3, 5), Point(hw, 1)};
    Point left[4] = {Point(1, hh), Point(5, hh - 3), Point(5, hh + 3), Point(1, hh)};
    Point right[4] = {Point(w - 1, hh), Point(w - 5, hh - 3), Point(w - 5, hh + 3), Point(w - 1, hh)};
    Point* triangle;
    switch (current->Placement()) {
    case SIToolTipAnchor::PlaceAbove: triangle = flipped ? top : bottom; break;
    case SIToolTipAnchor::PlaceBelow: triangle = flipped ? bottom : top; break;
    case SIToolTipAnchor::PlaceRight: triangle = flipped ? right : left; break;
    case SIToolTipAnchor::PlaceLeft: triangle = flipped ? left : right; break;
    default: triangle = right; break;
    }
    SelectPenAndBrush(drawing, arrowColour);
    drawing->FillPoly(triangle, 4);
}

// ------------------------------------------------------------ SetTooltip

void SetTooltip(SControl* control, SToolTip* tip, const char* text, int placement)
{
    if (!control)
        return;
    auto* data = new SToolTipData(tip, control, placement);
    data->AddLabel(text, 0);
    control->SetToolTipAnchor(data);
    if (tip)
        tip->AddControl(control);
}

void SetTooltip(SControl* control, SToolTip* tip, const kova::data::datastring<32, char>& text, int placement)
{
    SetTooltip(control, tip, text.c_str(), placement);
}

}  // namespace kova::gui
