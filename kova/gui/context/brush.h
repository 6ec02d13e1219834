// A brush: the colour that fill operations use.
#pragma once

#include "kova/gui/context/bitmap.h"

namespace kova::gui::context {

class SDrawBrush {
public:
    static constexpr int Solid = -1;

    // The brush owns the bitmap and deletes it.
    SDrawBrush(int colour, int style, SDrawBitmap* bitmap) : bitmap(bitmap), style(style), colour(colour) {}
    ~SDrawBrush() { delete bitmap; }
    SDrawBrush(const SDrawBrush&) = delete;
    SDrawBrush& operator=(const SDrawBrush&) = delete;

    // The colour for a solid brush, the second colour otherwise. Selecting a
    // brush and searching for one both go by this colour.
    int EffectiveColour() const { return style == Solid ? colour : secondColour; }

    int Style() const { return style; }
    int Colour() const { return colour; }
    int SecondColour() const { return secondColour; }
    void SetSecondColour(int c) { secondColour = c; }
    SDrawBitmap* Bitmap() const { return bitmap; }

private:
    SDrawBitmap* bitmap;
    int style;
    int colour;
    int secondColour = 0;
};

}  // namespace kova::gui::context
