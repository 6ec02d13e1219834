// A pen: the line attributes that outline operations draw with.
#pragma once

namespace kova::gui::context {

class SDrawPen {
public:
    SDrawPen(int colour, int width, bool dashed) : width(width), dashed(dashed), colour(colour) {}

    int Width() const { return width; }
    bool Dashed() const { return dashed; }
    int Colour() const { return colour; }

private:
    int width;    // pixels
    bool dashed;  // on-off dashes when true, solid when false
    int colour;   // pixel
};

}  // namespace kova::gui::context
