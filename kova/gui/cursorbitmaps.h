// The built-in one-bit cursor images, in X bitmap order (least significant
// bit = leftmost pixel). Source bits are the outline (foreground colour);
// mask bits the whole visible shape (mask without source shows the
// background colour).
#pragma once

namespace kova::images {

// 24 x 24, three bytes per row: an arrow pointing to the top-left corner
// (hot spot (0, 0)) with its tail towards the bottom right.
constexpr int ArrowWidth = 24;
constexpr int ArrowHeight = 24;
extern const unsigned char arrow_source[ArrowHeight * 3];
extern const unsigned char arrow_mask[ArrowHeight * 3];

// 16 x 14, two bytes per row: a corner bracket at the top left with a
// diagonal arrow towards the bottom right.
constexpr int CornerWidth = 16;
constexpr int CornerHeight = 14;
extern const unsigned char corner_source[CornerHeight * 2];
extern const unsigned char corner_mask[CornerHeight * 2];

}  // namespace kova::images
