// Shared set-up of the drawing tests: a drawing context on an off-screen
// pixmap of the display in use, read back with XGetImage.
#pragma once

// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "kova/gui/connection.h"
#include "kova/gui/context/colour.h"
#include "kova/gui/context/drawing.h"
#include "kova/gui/context/staticdata.h"

namespace drawing_test {

using Point = kova::math::geom::Point<int, 2>;
using Rect = kova::math::geom::Rectangle<int, 2>;

// Records X protocol errors instead of letting Xlib end the process.
inline int& ErrorCount()
{
    static int count = 0;
    return count;
}

inline int RecordError(Display*, XErrorEvent*)
{
    ++ErrorCount();
    return 0;
}

// The pixels of a drawable at one moment.
class Snapshot {
public:
    Snapshot(Display* d, Drawable drawable, int width, int height) : width(width), height(height)
    {
        XSync(d, False);
        XImage* image = XGetImage(d, drawable, 0, 0, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
        pixels.resize((size_t)width * (size_t)height);
        if (image) {
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    pixels[(size_t)(y * width + x)] = XGetPixel(image, x, y) & 0xFFFFFF;
            XDestroyImage(image);
        }
    }

    unsigned long At(int x, int y) const { return pixels[(size_t)(y * width + x)]; }
    bool Lit(int x, int y) const { return At(x, y) != 0; }

    // Pixels that are not black (the background the tests clear to).
    int LitCount(const Rect& r) const
    {
        int n = 0;
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x)
                n += Lit(x, y) ? 1 : 0;
        return n;
    }
    int LitCount() const { return LitCount(Rect(0, 0, width, height)); }

    // Bounding box of the lit pixels, right and bottom exclusive; empty
    // (all zero) when nothing is lit.
    Rect Footprint() const
    {
        Rect box(width, height, 0, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (Lit(x, y)) {
                    box.x0 = std::min(box.x0, x);
                    box.y0 = std::min(box.y0, y);
                    box.x1 = std::max(box.x1, x + 1);
                    box.y1 = std::max(box.y1, y + 1);
                }
        return box.x1 == 0 ? Rect() : box;
    }

    bool operator==(const Snapshot& o) const { return pixels == o.pixels; }

    int width;
    int height;

private:
    std::vector<unsigned long> pixels;
};

// A drawing context on a cleared (black) pixmap.
class DrawingTest : public ::testing::Test {
protected:
    static constexpr int Width = 160;
    static constexpr int Height = 120;

    void SetUp() override
    {
        display = kova::gui::GetDisplay();
        if (!display) {
            if (std::getenv("DISPLAY"))
                FAIL() << "DISPLAY is set but the X display cannot be opened";
            GTEST_SKIP() << "no X display";
        }
        ASSERT_NE(statdata, nullptr);
        previousHandler = XSetErrorHandler(RecordError);
        ErrorCount() = 0;
        const int screen = DefaultScreen(display);
        pixmap = XCreatePixmap(display, DefaultRootWindow(display), Width, Height,
                               (unsigned)DefaultDepth(display, screen));
        drawing = new kova::gui::context::SDrawing();
        drawing->SetDevice(new kova::gui::context::SDrawDevice(pixmap));
        white = kova::gui::SCOL(255, 255, 255);
        black = kova::gui::SCOL(0, 0, 0);
        Clear();
        drawing->SetPen(statdata->FindPen(white));
        drawing->SetBrush(statdata->FindBrush(white));
    }

    void TearDown() override
    {
        if (!display)
            return;
        delete drawing;
        XFreePixmap(display, pixmap);
        XSync(display, False);
        EXPECT_EQ(ErrorCount(), 0) << "X protocol errors while drawing";
        XSetErrorHandler(previousHandler);
    }

    void Clear()
    {
        drawing->SetBrush(statdata->FindBrush(black));
        drawing->FillRect(0, 0, Width, Height);
        drawing->SetBrush(statdata->FindBrush(white));
    }

    Snapshot Take() { return Snapshot(display, pixmap, Width, Height); }

    Display* display = nullptr;
    Pixmap pixmap = 0;
    kova::gui::context::SDrawing* drawing = nullptr;
    int white = 0;
    int black = 0;
    XErrorHandler previousHandler = nullptr;
};

}  // namespace drawing_test
