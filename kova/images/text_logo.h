// Pictures built into the program, as XPM data (the lines of an XPM file).
#pragma once

namespace kova::images {

// The product title for the editor's title label, 234 x 30, drawn on the
// panel's dark grey. Made by tools/text-logo/make_text_logo.py.
extern const char* const text_logo[];

}  // namespace kova::images
