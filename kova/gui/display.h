// Process-wide monitor geometry, probed once at library load. Dialogs and
// tooltips use it to place themselves on a monitor.
#pragma once

#include "kova/data/datastring.h"
#include "kova/math/geom.h"

#include <vector>

namespace kova::gui {

class SControl;

// A named monitor (reserved: the toolkit never fills this list).
struct SDisplayInfo {
    SDisplayInfo(const kova::math::geom::Rectangle<int, 2>& rect, const char* name, int number);
    kova::math::geom::Rectangle<int, 2> rect;
    kova::data::datastring<32, char> name;
    int number;
};

// One screen of width x height without monitor information, divided by the
// aspect-ratio rule: a screen much wider (or taller) than 1.5 times a 5:4
// monitor becomes several side-by-side (or stacked) virtual monitors. The
// pieces are appended to `out`; returns whether the screen was divided.
//   2560 x 1024 -> two of 1280; 3840 x 1200 -> three of 1500 (the last one
//   reaching beyond the screen); 1024 x 1280 -> two stacked of 819;
//   1920 x 1080 stays one.
bool DivideScreen(int width, int height, std::vector<kova::math::geom::Rectangle<int, 2>>& out);

class SDisplay {
public:
    using Rect = kova::math::geom::Rectangle<int, 2>;
    using Point = kova::math::geom::Point<int, 2>;

    // The newest record that still exists is the one Current() returns (the
    // process resources own one from load to unload).
    SDisplay();
    ~SDisplay();
    SDisplay(const SDisplay&) = delete;
    SDisplay& operator=(const SDisplay&) = delete;
    static SDisplay* Current();

    // Fills the monitor list, count, bounds and divided flag from Xinerama,
    // else the work areas of several X screens, else the default screen
    // (possibly divided). Without a display connection the list holds one
    // nominal 1024 x 768 monitor, so it is never empty. Returns *this.
    SDisplay& AllMonitorRects();
    // Appends one monitor and widens the bounds.
    void AddMonitor(const Rect& r);
    // Uses one whole screen of width x height, divided as DivideScreen says.
    void UseWholeScreen(int width, int height);
    void AllMonitorInfos() {}

    // The first monitor containing p (edges inclusive), else the first one.
    Rect MonitorRect(const Point& p) const;
    // The monitor containing the control's centre, else the first one.
    Rect MonitorRect(SControl* ctl) const;
    // Centres the control on its monitor / on the monitor containing p.
    void CenterOnWindow(SControl* ctl) const;
    void CenterOnWindow(SControl* ctl, const Point& p) const;
    // The bounding box of all monitors; it always contains the origin.
    Rect Bounds() const { return Rect(minX, minY, maxX, maxY); }

    std::vector<SDisplayInfo> monitorInfos;
    std::vector<Rect> monitors;
    int count = 0;
    int minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool divided = false;
};

}  // namespace kova::gui
