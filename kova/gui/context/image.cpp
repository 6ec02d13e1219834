#include "kova/gui/context/image.h"

#include <cstdlib>
#include <cstring>

#include <X11/Xutil.h>

#include "kova/gui/connection.h"

namespace kova::gui::context {

SDrawImage::SDrawImage(void* buf, int w, int h, int bytesPerLine, int pad)
    : width(w > 0 ? w : 1), height(h > 0 ? h : 1), buffer(buf)
{
    if (buffer && pad > 0)
        std::memset(buffer, 0, (size_t)width * (size_t)height * (size_t)(pad >> 3));
    Display* d = kova::gui::GetDisplay();
    if (!d || !buffer)
        return;
    int screen = DefaultScreen(d);
    image = XCreateImage(d, DefaultVisual(d, screen), (unsigned)DefaultDepth(d, screen), ZPixmap, 0,
                         static_cast<char*>(buffer), (unsigned)width, (unsigned)height, pad, bytesPerLine);
}

SDrawImage::~SDrawImage()
{
    if (image)
        XDestroyImage(image);  // releases the buffer too
    else
        std::free(buffer);
}

}  // namespace kova::gui::context
