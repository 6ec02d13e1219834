// The plain drawing device of a window: an X drawable and a graphics context
// (GC) on it. Drawing contexts draw through a device; memory devices
// (memorydevice.h) derive from it to draw into pixmaps.
#pragma once

#include <X11/Xlib.h>

namespace kova::gui::context {

class SDrawPen;
class SDrawBrush;
class SDrawFont;

class SDrawDevice {
public:
    // No drawable and no GC.
    SDrawDevice();
    // Creates a GC on the drawable, on the toolkit's display connection.
    explicit SDrawDevice(Drawable drawable);
    // Flushes the display and frees the GC.
    virtual ~SDrawDevice();
    SDrawDevice(const SDrawDevice&) = delete;
    SDrawDevice& operator=(const SDrawDevice&) = delete;

    virtual GC Get();
    virtual Drawable GetDrawable();

    // The connection the GC was made on. Every request that uses the GC goes
    // to this connection, so a device stays usable when the host's display
    // becomes the toolkit's display after the device was made.
    Display* GetConnection() const { return display; }

    // Line width, dash style (on-off dashes or solid), cap "not last",
    // round joins and the pen's colour as foreground. Nothing for null.
    void SetPen(SDrawPen* pen);
    // The brush's effective colour as foreground. Nothing for null.
    void SetBrush(SDrawBrush* brush);
    // The font's X font, or 0 when it has none loaded. Nothing for null.
    void SetFont(SDrawFont* font);

protected:
    Display* display = nullptr;
    Drawable drawable = 0;
    GC gc = nullptr;
};

}  // namespace kova::gui::context
