#include "kova/gui/context/textblock.h"

#include <algorithm>
#include <cstring>

#include "kova/gui/context/font.h"

namespace kova::gui::context {

void TextExtents(const SDrawFont* font, const char* text, int n, int& width, int& height)
{
    width = height = 0;
    if (font)
        font->Extents(text, n, width, height);
}

TextBlockSize MeasureTextBlock(const SDrawFont* font, const char* text, EmptyLineHeight rule)
{
    TextBlockSize size;
    if (!*text)
        return size;
    int lastHeight = -1;   // of the last line measured
    int emptyHeight = -1;  // what an empty line adds
    const char* p = text;
    for (;;) {
        const char* end = std::strchr(p, '\n');
        const int n = end ? (int)(end - p) : (int)std::strlen(p);
        if (n > 0) {
            int w = 0, h = 0;
            TextExtents(font, p, n, w, h);
            size.width = std::max(size.width, w);
            size.height += h;
            lastHeight = h;
        } else {
            if (lastHeight < 0) {
                int w = 0;
                TextExtents(font, "W", 1, w, lastHeight);
            }
            if (rule == EmptyLineHeight::FollowsLast || emptyHeight < 0)
                emptyHeight = lastHeight;
            size.height += emptyHeight;
        }
        if (!end)
            break;
        p = end + 1;
    }
    return size;
}

}  // namespace kova::gui::context
