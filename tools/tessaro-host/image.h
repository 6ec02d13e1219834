// A plain RGB raster for the host's pictures, with filled rectangles and a
// built-in 5 x 7 pixel font (digits, capitals and common punctuation;
// lower case is drawn as capitals).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {
namespace host {

struct Rgb {
    uint8_t r, g, b;
};

class RgbImage {
public:
    RgbImage(int width, int height, Rgb background);

    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::vector<uint8_t>& Pixels() const { return pixels_; }
    Rgb At(int x, int y) const;

    // Everything outside the image is clipped away.
    void Set(int x, int y, Rgb c);
    void FillRect(int left, int top, int right, int bottom, Rgb c);  // right, bottom exclusive
    void FrameRect(int left, int top, int right, int bottom, Rgb c);
    // Draws text with its top-left corner at (x, y), scaled by a whole
    // factor; returns the x just past the last character.
    int Text(int x, int y, const std::string& text, Rgb c, int scale = 1);
    static int TextWidth(const std::string& text, int scale = 1);

private:
    int width_, height_;
    std::vector<uint8_t> pixels_;
};

}  // namespace host
}  // namespace tessaro
