// Tooltips. One SToolTip window serves all controls of a panel; each control
// with a tooltip owns an SToolTipData holding its laid-out text. The first
// line is the title (drawn in its own colour), a small triangle points at
// the control. The dispatcher opens the tip as the pointer enters a control
// whose tooltips are on and closes it as the pointer leaves.
//
// Tooltips start switched off; ToggleTooltips switches all controls of the
// tip at once and colours the indicator square that the panel draws.
//
// Everything here runs on the thread that dispatches the panel's X events.
#pragma once

#include <vector>

#include "kova/data/datastring.h"
#include "kova/gui/control.h"
#include "kova/gui/tooltipanchor.h"

namespace kova::gui::context {
class SDrawFont;
class SDrawing;
}  // namespace kova::gui::context

namespace kova::gui {

class SWindow;
class SDrawObject;
class SToolTip;

// The text of one control's tooltip, laid out as text objects.
class SToolTipData : public SIToolTipAnchor {
public:
    using Point = kova::math::geom::Point<int, 2>;
    using Rect = kova::math::geom::Rectangle<int, 2>;
    using String = kova::data::datastring<32, char>;

    SToolTipData(SToolTip* tip, SControl* owner, int placement);
    ~SToolTipData() override;
    SToolTipData(const SToolTipData&) = delete;
    SToolTipData& operator=(const SToolTipData&) = delete;

    // Lays out the text as one text object per line (line feed, tab and
    // carriage return break lines; empty lines only add space). Returns the
    // content width; 0 and nothing laid out without a tip or its font.
    int AddLabel(String& text, unsigned int unused);
    int AddLabel(const String& text, unsigned int unused);
    int AddLabel(const char* text, unsigned int unused);
    // Recomputes the content rectangle from the objects; returns its width.
    int Calculate();
    void SetOffset(const Point& offset, bool unused);

    // SIToolTipAnchor
    Rect ContentRect() const override { return contentRect; }
    int Placement() const override { return placement; }
    Point GetOffset() const override;
    void SetFlipped(bool flipped) override;
    bool Flipped() const override;
    void Open(const Point& rootPoint) override;
    void Close() override;

    SToolTip* Tip() const { return tip; }
    SControl* Owner() const { return owner; }
    const std::vector<SDrawObject*>& Objects() const { return objects; }
    int BoxWidth() const { return boxWidth; }
    int BoxHeight() const { return boxHeight; }

private:
    SToolTip* tip;
    SControl* owner;
    std::vector<SDrawObject*> objects;
    Rect contentRect;
    Point offset;
    Point flippedOffset;
    std::vector<String> lines;
    std::vector<Rect> lineRects;
    int placement;
    int boxWidth = 16;
    int boxHeight = 16;
};

class SToolTip : public SControl {
public:
    // A borderless window under the root window, added to the owner's
    // children (the owner deletes it).
    SToolTip(SWindow* owner, bool unused);
    ~SToolTip() override;

    void Draw(const Rect& r) override;
    void MouseStateChanged(bool* state, int code) override;
    // Closes any tip shown, then shows the data's text at a root point.
    virtual void Open(SToolTipData* data, const Point& rootPoint);
    virtual void Close();

    // Switches the tooltips of every listed control; returns the new
    // indicator colour (standard red when on, blue when off).
    int ToggleTooltips();
    int EnableTooltips(bool on);
    // Paints the indicator square in the indicator colour.
    void DrawTiprect(kova::gui::context::SDrawing* drawing);
    // Lists a control once.
    void AddControl(SControl* control);
    // Forgets a control (its data is going away).
    void RemoveControl(SControl* control);

    SWindow* ownerWindow;
    SToolTipData* current = nullptr;
    kova::gui::context::SDrawFont* regularFont = nullptr;
    kova::gui::context::SDrawFont* boldFont = nullptr;
    bool shown = false;
    int textColour;
    int textFlags = 0;
    bool highlightFirst = true;
    int firstLineColour;
    int arrowColour;
    bool roundShape = false;
    bool boldSecond = false;
    bool flipped = false;
    std::vector<SControl*> controls;
    Rect indicatorRect{1, 1, 10, 10};
    int indicatorColour;
    bool enabled = false;
};

// Gives the control a tooltip with the text, replacing any it had, and lists
// the control with the tip. placement: 0 above, 1 right, 2 below, 3 left.
void SetTooltip(SControl* control, SToolTip* tip, const char* text, int placement);
void SetTooltip(SControl* control, SToolTip* tip, const kova::data::datastring<32, char>& text, int placement);

}  // namespace kova::gui
