// SLabel<false>: a window that shows a caption of one or more lines with a
// font, an alignment and colours that follow whether it is active, on a
// plain or rounded background (creation flag 0x10) with an optional frame
// (creation flag 0x40000). Buttons and value controls derive from it.
//
// Layout: a caption is broken into lines when it is set and whenever the
// window size changes, never while drawing. A single line fills the whole
// window and the drawing context aligns it; several lines form a block that
// is placed by the alignment and shared out equally among the lines.
// Measuring breaks at line feeds only; drawing breaks at line feed, tab and
// carriage return and drops empty pieces, so "A\tB" is measured as one line
// and drawn as two.
//
// A label never owns its font; without a font it takes no caption at all.
// Clicks are reported on event channel 3 with 1 (left), 2 (middle) or 3
// (right).
#pragma once

#include <vector>

#include "kova/data/datastring.h"
#include "kova/gui/window.h"
#include "kova/math/geom.h"

namespace kova::gui::context {
class SDrawFont;
}

namespace kova::gui {

// The value a label reports on channel 3 for a mouse code: clicks and
// double clicks of the left, right and middle buttons (codes 3/7, 4/8, 5/9)
// give 1, 3 and 2; any other code gives 0 (nothing to report).
int LabelClickValue(int code);

template <bool Vertical>
class SLabel;

template <>
class SLabel<false> : public SWindow {
public:
    using String = kova::data::datastring<32, char>;

    SLabel(SGlobals* globals, SControl* owner, unsigned int id, const char* name, int flags, int x, int y,
           int width, int height, int parentWindow, bool unused);
    ~SLabel() override;

    void Draw(const Rect& r) override;
    void DrawOutlines(const Rect& r) override;
    void MouseStateChanged(bool* state, int code) override;
    // The caption (not the control's name).
    String& GetLabel() override;
    // Takes effect at the next SetLabel, SetSize or RedrawLabel.
    void SetAlignment(int alignment) override;
    // Stores the colour; redraws the outline when the highlight switches.
    void Highlight(bool on, int colour, int, int) override;
    void SetSize(int width, int height) override;
    void SetLabelOffset(Point& offset) override;

    virtual void SetLabelColours(int active, int inactive);
    // The active colour while the label is active, else the inactive one.
    virtual int GetLabelColour();
    // Lays the caption out (nothing at all without a font).
    virtual void SetLabel(const char* text);
    virtual void SetLabel(const String& text);
    // Sets font and alignment, then the caption.
    virtual void SetLabel(const char* text, kova::gui::context::SDrawFont* font, int alignment);
    virtual void SetLabel(const String& text, kova::gui::context::SDrawFont* font, int alignment);
    // Recomputes the line rectangles for the current window size.
    virtual void RedrawLabel();
    virtual void SetLabelOffset(const Point& offset);
    virtual void SetLabelRounding(int rounding);
    virtual void DrawLabel();

    // --- Accessors ---
    kova::gui::context::SDrawFont* GetFont() const { return font; }
    const std::vector<String>& Lines() const { return lines; }
    const std::vector<Rect>& LineRects() const { return lineRects; }
    int BlockWidth() const { return blockWidth; }
    int BlockHeight() const { return blockHeight; }
    int GetAlignment() const { return alignment; }
    int GetRounding() const { return rounding; }
    bool IsHighlighted() const { return highlighted; }
    int GetHighlightColour() const { return highlightColour; }
    const Point& GetLabelOffset() const { return labelOffset; }

protected:
    // Places the measured block by the alignment and shares it out among
    // the lines.
    void PlaceLines();
    // Measures the caption's block with the label's font (line feeds only).
    void MeasureBlock(const char* text);
    // Mouse codes 3/7, 4/8, 5/9 as 1, 3, 2 on channel 3.
    void ReportClick(int code);

    kova::gui::context::SDrawFont* font = nullptr;
    String text;
    std::vector<String> lines;
    std::vector<Rect> lineRects;
    int blockWidth = 1;
    int blockHeight = 1;
    int activeLabelColour = 0;
    int inactiveLabelColour = 0;
    Point labelOffset;
    int alignment = 0;
    bool vertical = false;
    bool multiLine = false;  // the caption held a line feed
    int rounding = 7;
    bool highlighted = false;
    int highlightColour = 0;
};

}  // namespace kova::gui
