#include "kova/gui/context/colour.h"

#include <X11/Xlib.h>

#include "kova/gui/connection.h"

namespace kova::gui {

namespace {

int Allocate(Display* d, unsigned short r, unsigned short g, unsigned short b)
{
    XColor colour = {};
    colour.red = r;
    colour.green = g;
    colour.blue = b;
    colour.flags = DoRed;  // XAllocColor ignores the flags: all three channels count
    XAllocColor(d, XDefaultColormap(d, 0), &colour);
    return (int)colour.pixel;
}

}  // namespace

int SCOL(int r, int g, int b)
{
    Display* d = GetDisplay();
    if (!d)
        return 0;
    return Allocate(d, (unsigned short)(r << 8), (unsigned short)(g << 8), (unsigned short)(b << 8));
}

SColourListSimple::SColourListSimple()
{
    static const unsigned short table[8][3] = {
        {0xFF00, 0xFF00, 0xFF00}, {0, 0, 0xFF00},      {0xFF00, 0xFF00, 0}, {0xFF00, 0, 0},
        {0xFF00, 0, 0xFF00},      {0, 0xFF00, 0xFF00}, {0x8000, 0xFF00, 0}, {0xFF00, 0xEC00, 0xC800},
    };
    pixels.reserve(8);
    Display* d = GetDisplay();
    for (const auto& c : table)
        pixels.push_back(d ? Allocate(d, c[0], c[1], c[2]) : 0);
}

}  // namespace kova::gui
