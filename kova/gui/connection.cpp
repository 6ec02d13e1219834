#include "kova/gui/connection.h"

#include <cstdio>
#include <cstdlib>

std::atomic<Display*> dps{nullptr};
std::atomic<Display*> dp{nullptr};

namespace kova::gui {

void OpenOwnDisplay()
{
    const char* name = std::getenv("DISPLAY");
    Display* display = XOpenDisplay(name ? name : ":0.0");
    if (!display) {
        std::fputs("Error: XOpenDisplay failed.\n", stderr);
        return;
    }
    XFlush(display);
    dps.store(display, std::memory_order_release);
}

void CloseOwnDisplay()
{
    Display* display = dps.exchange(nullptr);
    if (display)
        XCloseDisplay(display);
}

}  // namespace kova::gui
