// Retained drawing objects: small records that know how to draw themselves
// through a drawing context (the tooltip keeps a list of them). Each is
// placed by its rectangle moved by its offset.
#pragma once

#include "kova/data/datastring.h"
#include "kova/gui/context/drawing.h"

namespace kova::gui {

class SDrawObject {
public:
    using Point = kova::math::geom::Point<int, 2>;
    using Rect = kova::math::geom::Rectangle<int, 2>;

    SDrawObject() = default;
    SDrawObject(const Rect& rect, const Point& offset, int background, int frame)
        : rect(rect), offset(offset), background(background), frame(frame) {}
    virtual ~SDrawObject() = default;

    // Fills the moved rectangle with the background colour (through the
    // context's background fill) and restores the context's background.
    // Nothing for a null context.
    virtual void Draw(kova::gui::context::SDrawing* drawing);

    // The rectangle moved by the offset.
    Rect Placed() const { return Rect(rect.x0 + offset.x, rect.y0 + offset.y, rect.x1 + offset.x, rect.y1 + offset.y); }

    Rect rect;
    Point offset;
    int background = 0;
    int frame = 0;
};

// A rectangle outlined in the frame colour, filled with the background
// colour when `filled`.
class SDrawRect : public SDrawObject {
public:
    SDrawRect() = default;
    SDrawRect(const Rect& rect, const Point& offset, int background, int frame, bool filled)
        : SDrawObject(rect, offset, background, frame), filled(filled) {}
    void Draw(kova::gui::context::SDrawing* drawing) override;

    bool filled = false;
};

// A label: the background fill, then the text in the text colour, aligned
// (label flags) in the rectangle moved by the text offset, with the
// context's selected font.
class STextObject : public SDrawObject {
public:
    STextObject() = default;
    STextObject(const Rect& rect, const Point& offset, int background, int frame, const char* text,
                const Point& textOffset, int textColour, int flags)
        : SDrawObject(rect, offset, background, frame), textOffset(textOffset), textColour(textColour), flags(flags)
    {
        this->text.Append(text);
    }
    void Draw(kova::gui::context::SDrawing* drawing) override;

    kova::data::datastring<32, char> text;
    Point textOffset;
    int textColour = 0;
    int flags = 0;
};

// A label with its own font (not owned).
class STextObjectX : public STextObject {
public:
    STextObjectX() = default;
    STextObjectX(const Rect& rect, const Point& offset, int background, int frame, const char* text,
                 const Point& textOffset, int textColour, int flags, kova::gui::context::SDrawFont* font)
        : STextObject(rect, offset, background, frame, text, textOffset, textColour, flags), font(font) {}
    void Draw(kova::gui::context::SDrawing* drawing) override;

    kova::gui::context::SDrawFont* font = nullptr;
};

}  // namespace kova::gui
