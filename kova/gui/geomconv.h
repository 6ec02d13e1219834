// Conversions between the toolkit's points and rectangles and Xlib's.
#pragma once

#include <X11/Xlib.h>

#include "kova/math/geom.h"

namespace kova::gui {

// x, y narrowed to 16 bits.
inline XPoint S2POINT(const kova::math::geom::Point<int, 2>& p)
{
    XPoint r;
    r.x = (short)p.x;
    r.y = (short)p.y;
    return r;
}

// {x0, y0, x1 - x0, y1 - y0}.
inline XRectangle S2RECT(const kova::math::geom::Rectangle<int, 2>& r)
{
    XRectangle x;
    x.x = (short)r.x0;
    x.y = (short)r.y0;
    x.width = (unsigned short)(r.x1 - r.x0);
    x.height = (unsigned short)(r.y1 - r.y0);
    return x;
}

inline kova::math::geom::Point<int, 2> POINT2S(const XPoint& p)
{
    return kova::math::geom::Point<int, 2>(p.x, p.y);
}

// {x, y, x + width, y + height}, the size read unsigned.
inline kova::math::geom::Rectangle<int, 2> RECT2S(const XRectangle& r)
{
    return kova::math::geom::Rectangle<int, 2>(r.x, r.y, r.x + (int)(unsigned)r.width,
                                               r.y + (int)(unsigned)r.height);
}

// "Eventtype: CreateNotify" for type 16, "Eventtype: (unknown)" otherwise.
const char* SWindowEventType(int type);

}  // namespace kova::gui
