// A client-side X image over a pixel buffer, drawn with SDrawing::DrawImage.
#pragma once

#include <X11/Xlib.h>

namespace kova::gui::context {

class SDrawImage {
public:
    // Takes over the buffer (allocated with malloc) and zeroes its first
    // width x height x (pad / 8) bytes. A width or height of 0 becomes 1.
    // The image has the default visual and depth, ZPixmap format.
    SDrawImage(void* buffer, int width, int height, int bytesPerLine, int pad);
    // Destroys the image with its buffer.
    ~SDrawImage();
    SDrawImage(const SDrawImage&) = delete;
    SDrawImage& operator=(const SDrawImage&) = delete;

    int Width() const { return width; }
    int Height() const { return height; }
    XImage* Get() const { return image; }

private:
    int width;
    int height;
    XImage* image = nullptr;
    void* buffer;
};

}  // namespace kova::gui::context
