// Colours of the toolkit. A colour is an X pixel value of the default
// colormap of screen 0, carried as an int through every interface.
#pragma once

#include <cstddef>
#include <vector>

namespace kova::gui {

// Allocates the 8-bit-per-channel colour (r, g, b) in the default colormap of
// screen 0 and returns its pixel. Each channel is shifted left by 8, so 255
// asks for 0xFF00. Every call allocates anew; nothing is cached or freed.
// Without a display connection the result is 0.
int SCOL(int r, int g, int b);

// A colour value with four float channels on the scale 0 to 255. No drawing
// operation consumes it.
struct SColour {
    float red = 255.0f;
    float green = 255.0f;
    float blue = 255.0f;
    float alpha = 255.0f;

    SColour() = default;
    SColour(float r, float g, float b, float a) : red(r), green(g), blue(b), alpha(a) {}
    SColour(int r, int g, int b, int a)
        : red((float)r), green((float)g), blue((float)b), alpha((float)a) {}
    SColour(unsigned char r, unsigned char g, unsigned char b, unsigned char a)
        : red((float)r), green((float)g), blue((float)b), alpha((float)a) {}
};

// Eight fixed colours allocated at construction, in this order: white, blue,
// yellow, red, magenta, cyan, lime, cream.
class SColourListSimple {
public:
    SColourListSimple();
    virtual ~SColourListSimple() = default;

    int Count() const { return (int)pixels.size(); }
    int Get(int i) const { return pixels[(std::size_t)i]; }

private:
    std::vector<int> pixels;
};

}  // namespace kova::gui
