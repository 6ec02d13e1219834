#include "kova/gui/display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xinerama.h>
#include <algorithm>
#include <mutex>
#include <cmath>
#include <cstring>

#include "kova/gui/connection.h"
#include "kova/gui/control.h"

namespace kova::gui {

namespace {

// Records in order of construction; the newest is the current one.
std::mutex recordsMutex;
std::vector<SDisplay*>& Records()
{
    static std::vector<SDisplay*> records;
    return records;
}

// Round to nearest, halves upwards, after the toolkit's small bias.
int RoundBiased(float v)
{
    return (int)std::floor(v + 8.326e-17f + 0.5f);
}

}  // namespace

SDisplayInfo::SDisplayInfo(const kova::math::geom::Rectangle<int, 2>& r, const char* n, int num)
    : rect(r), number(num)
{
    name.Initialize(n ? (unsigned)std::strlen(n) : 0);
    name.Append(n);
}

bool DivideScreen(int width, int height, std::vector<kova::math::geom::Rectangle<int, 2>>& out)
{
    const float W = (float)width;
    const float H = (float)height;
    float r = H / (W * 0.8f);
    if (r > 1.5f) {
        int n = RoundBiased(r);
        int p = RoundBiased(H / r);
        for (int k = 0; k < n; ++k)
            out.emplace_back(0, k * p, (int)W, (k + 1) * p);
        return true;
    }
    r = (W * 0.8f) / H;
    if (r > 1.5f) {
        int n = RoundBiased(r);
        int p = RoundBiased(W / r);
        for (int k = 0; k < n; ++k)
            out.emplace_back(k * p, 0, (k + 1) * p, (int)H);
        return true;
    }
    out.emplace_back(0, 0, width, height);
    return false;
}

SDisplay::SDisplay()
{
    std::lock_guard<std::mutex> lock(recordsMutex);
    Records().push_back(this);
}

SDisplay::~SDisplay()
{
    std::lock_guard<std::mutex> lock(recordsMutex);
    auto& r = Records();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

SDisplay* SDisplay::Current()
{
    std::lock_guard<std::mutex> lock(recordsMutex);
    return Records().empty() ? nullptr : Records().back();
}

void SDisplay::AddMonitor(const Rect& r)
{
    monitors.push_back(r);
    minX = std::min(minX, r.x0);
    minY = std::min(minY, r.y0);
    maxX = std::max(maxX, r.x1);
    maxY = std::max(maxY, r.y1);
}

void SDisplay::UseWholeScreen(int width, int height)
{
    minX = minY = 0;
    maxX = width;
    maxY = height;
    divided = DivideScreen(width, height, monitors);
    count = (int)monitors.size();
}

SDisplay& SDisplay::AllMonitorRects()
{
    monitors.clear();
    count = 0;
    minX = minY = maxX = maxY = 0;
    divided = false;
    Display* display = GetDisplay();
    if (!display) {
        UseWholeScreen(1024, 768);
        return *this;
    }
    const int screen = DefaultScreen(display);

    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(display, "XINERAMA", &opcode, &event, &error) && XineramaIsActive(display)) {
        int n = 0;
        XineramaScreenInfo* screens = XineramaQueryScreens(display, &n);
        count = n;
        for (int i = 0; screens && i < n; ++i) {
            const XineramaScreenInfo& s = screens[i];
            AddMonitor(Rect(s.x_org, s.y_org, s.x_org + s.width, s.y_org + s.height));
        }
        if (screens)
            XFree(screens);
    } else {
        const int screens = ScreenCount(display);
        count = screens;
        Atom workarea = XInternAtom(display, "_NET_WORKAREA", True);
        for (int i = 0; screens > 1 && workarea != None && i < screens; ++i) {
            Atom type = None;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, RootWindow(display, i), workarea, 0, 4, False, XA_CARDINAL, &type,
                                   &format, &items, &after, &data) != Success)
                continue;
            if (type == XA_CARDINAL && format == 32 && items == 4 && data) {
                // Format-32 items arrive as longs on every architecture.
                const long* v = reinterpret_cast<const long*>(data);
                AddMonitor(Rect((int)v[0], (int)v[1], (int)(v[0] + v[2]), (int)(v[1] + v[3])));
            }
            if (data)
                XFree(data);
        }
    }
    if (!monitors.empty()) {
        count = (int)monitors.size();
        return *this;
    }
    UseWholeScreen(DisplayWidth(display, screen), DisplayHeight(display, screen));
    return *this;
}

SDisplay::Rect SDisplay::MonitorRect(const Point& p) const
{
    for (const Rect& r : monitors)
        if (r.x0 <= p.x && p.x <= r.x1 && r.y0 <= p.y && p.y <= r.y1)
            return r;
    return monitors.empty() ? Rect() : monitors.front();
}

SDisplay::Rect SDisplay::MonitorRect(SControl* ctl) const
{
    if (!ctl)
        return monitors.empty() ? Rect() : monitors.front();
    Point origin(0, 0);
    ctl->GetClient2Screen(origin);
    Point centre(origin.x + (ctl->Width() >> 1), origin.y + (ctl->Height() >> 1));
    return MonitorRect(centre);
}

namespace {

void CenterOn(SControl* ctl, const SDisplay::Rect& m)
{
    const int w = ctl->Width();
    const int h = ctl->Height();
    ctl->SetPosition(m.x0 + (((m.x1 - m.x0) - w) >> 1), m.y0 + (((m.y1 - m.y0) - h) >> 1));
}

}  // namespace

void SDisplay::CenterOnWindow(SControl* ctl) const
{
    if (ctl)
        CenterOn(ctl, MonitorRect(ctl));
}

void SDisplay::CenterOnWindow(SControl* ctl, const Point& p) const
{
    if (ctl)
        CenterOn(ctl, MonitorRect(p));
}

}  // namespace kova::gui
