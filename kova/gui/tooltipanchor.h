// What the event dispatcher needs from a control's tooltip: its size, the
// side it opens on, the offset to add, and a way to open and close the tip.
// The tooltip data of the widgets implements it; a control owns its tooltip
// data through this interface.
#pragma once

#include "kova/math/geom.h"

namespace kova::gui {

class SIToolTipAnchor {
public:
    enum Side { PlaceAbove = 0, PlaceRight = 1, PlaceBelow = 2, PlaceLeft = 3 };

    virtual ~SIToolTipAnchor() = default;

    // Bounding box of the laid-out text.
    virtual kova::math::geom::Rectangle<int, 2> ContentRect() const = 0;
    virtual int Placement() const = 0;
    // Offset added to the placed point: the flipped one after a flip.
    virtual kova::math::geom::Point<int, 2> GetOffset() const = 0;
    // The tip's flipped flag: set when the opposite side was used.
    virtual void SetFlipped(bool flipped) = 0;
    virtual bool Flipped() const = 0;
    // Shows the tip at a root-window point; hides it.
    virtual void Open(const kova::math::geom::Point<int, 2>& rootPoint) = 0;
    virtual void Close() = 0;
};

// Where a tip of content size (W, H) goes next to a control of size (w, h):
// the window-coordinate candidate for the placement and, when the candidate
// (translated to root coordinates by toRoot, plus offsetFor(false)) leaves the
// monitor bounds, the opposite side (plus offsetFor(true)). Returns that root
// point, or (0, 0) for an unknown placement; flipped tells which side was used.
struct ToolTipPlacement {
    kova::math::geom::Point<int, 2> point;
    bool flipped = false;
};

template <typename ToRoot, typename OffsetFor>
ToolTipPlacement PlaceToolTip(int placement, int W, int H, int w, int h,
                              const kova::math::geom::Rectangle<int, 2>& bounds, ToRoot toRoot,
                              OffsetFor offsetFor)
{
    using P = kova::math::geom::Point<int, 2>;
    const int TW = W + 48;
    const int TH = H + 16;
    ToolTipPlacement result;
    auto at = [&](int x, int y, bool flipped) {
        P r = toRoot(P(x, y));
        P o = offsetFor(flipped);
        return P(r.x + o.x, r.y + o.y);
    };
    P c;
    switch (placement) {
    case SIToolTipAnchor::PlaceAbove:
        c = at((w - TW) >> 1, -TH - 3, false);
        if (c.y < bounds.y0) {
            result.flipped = true;
            c = at((w - TW) >> 1, h + 3, true);
        }
        break;
    case SIToolTipAnchor::PlaceRight:
        c = at(w + 3, (h - TH) >> 1, false);
        if (c.x + W > bounds.x1) {
            result.flipped = true;
            c = at(-TW - 3, (h - TH) >> 1, true);
        }
        break;
    case SIToolTipAnchor::PlaceBelow:
        c = at((w - TW) >> 1, h + 3, false);
        if (c.y + H > bounds.y1) {
            result.flipped = true;
            c = at((w - TW) >> 1, -TH - 3, true);
        }
        break;
    case SIToolTipAnchor::PlaceLeft:
        c = at(-TW - 3, (h - TH) >> 1, false);
        if (c.x < bounds.x0) {
            result.flipped = true;
            c = at(w + 3, (h - TH) >> 1, true);
        }
        break;
    default:
        return result;
    }
    result.point = c;
    return result;
}

}  // namespace kova::gui
