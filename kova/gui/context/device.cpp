#include "kova/gui/context/device.h"

#include "kova/gui/connection.h"
#include "kova/gui/context/brush.h"
#include "kova/gui/context/font.h"
#include "kova/gui/context/pen.h"

namespace kova::gui::context {

SDrawDevice::SDrawDevice() = default;

SDrawDevice::SDrawDevice(Drawable d) : display(kova::gui::GetDisplay()), drawable(d)
{
    // A GC on drawable 0 would be a protocol error that ends the process
    // under Xlib's default handler.
    if (display && drawable)
        gc = XCreateGC(display, drawable, 0, nullptr);
}

SDrawDevice::~SDrawDevice()
{
    if (display) {
        XFlush(display);
        if (gc)
            XFreeGC(display, gc);
    }
    gc = nullptr;
    drawable = 0;
}

GC SDrawDevice::Get()
{
    return gc;
}

Drawable SDrawDevice::GetDrawable()
{
    return drawable;
}

void SDrawDevice::SetPen(SDrawPen* pen)
{
    GC g = Get();
    if (!pen || !display || !g)
        return;
    XSetLineAttributes(display, g, (unsigned)pen->Width(), pen->Dashed() ? LineOnOffDash : LineSolid,
                       CapNotLast, JoinRound);
    XSetForeground(display, g, (unsigned long)(unsigned)pen->Colour());
}

void SDrawDevice::SetBrush(SDrawBrush* brush)
{
    GC g = Get();
    if (!brush || !display || !g)
        return;
    XSetForeground(display, g, (unsigned long)(unsigned)brush->EffectiveColour());
}

void SDrawDevice::SetFont(SDrawFont* font)
{
    GC g = Get();
    if (!font || !display || !g)
        return;
    // A font without a loaded X font (or from another connection) would
    // be a bad font on this GC; leave the GC's font alone then.
    if (font->Settable() && font->GetConnection() == display)
        XSetFont(display, g, font->Id());
}

}  // namespace kova::gui::context
