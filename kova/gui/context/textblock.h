// Measuring a block of text lines separated by line feeds, as labels,
// tooltips and the message dialog lay them out.
#pragma once

namespace kova::gui::context {

class SDrawFont;

// Overall width and ascent + descent of n characters; 0, 0 without a font.
void TextExtents(const SDrawFont* font, const char* text, int n, int& width, int& height);

// The height an empty line adds.
enum class EmptyLineHeight {
    // That of the line before the first empty line, kept for every later one.
    FirstFixes,
    // That of the line before it.
    FollowsLast,
};

struct TextBlockSize {
    int width = 0;   // of the widest line
    int height = 0;  // of all lines together
};

// An empty text has no lines; a line feed at the very end opens one more,
// empty line. An empty line before any text counts the height of "W".
TextBlockSize MeasureTextBlock(const SDrawFont* font, const char* text, EmptyLineHeight rule);

}  // namespace kova::gui::context
