#include "kova/gui/context/font.h"

#include "kova/gui/connection.h"

namespace kova::gui::context {

namespace {
const char* const Suffix = "-*-*-*-*-*-iso8859-1";
const char* const LastResort = "-adobe-helvetica-bold-r-normal--34-*-*-*-*-*-iso8859-1";
}  // namespace

SDrawFont::SDrawFont(int size, bool bold, bool italic, bool, const char* family)
    : size(size), bold(bold), italic(italic)
{
    Load(family);
}

SDrawFont::SDrawFont(bool) : size(10), bold(false), italic(false)
{
    Display* d = kova::gui::GetDisplay();
    if (!d)
        return;
    display = d;
    fontId = XGContextFromGC(DefaultGC(d, DefaultScreen(d)));
    info = XQueryFont(d, fontId);
}

SDrawFont::SDrawFont(int height, int, int, int, bool bold, bool italic, unsigned char, unsigned char,
                     unsigned char, unsigned char, unsigned char, unsigned char, unsigned char, char* face)
    : size(height), bold(bold), italic(italic)
{
    name.Append(face);
}

SDrawFont::~SDrawFont()
{
    if (info)
        XFreeFontInfo(nullptr, info, 1);  // client memory only
    // The default font belongs to the default GC; unloading its id would be
    // a protocol error.
    if (display && ownsFont && fontId && !serverGone)
        XUnloadFont(display, fontId);
}

// XLoadQueryFont answers an unknown name with null instead of a protocol
// error, which under Xlib's default error handler would end the process.
void SDrawFont::LoadNamed()
{
    info = XLoadQueryFont(display, name.c_str());
    fontId = info ? info->fid : 0;
    ownsFont = info != nullptr;
}

void SDrawFont::Load(const char* family)
{
    Display* d = kova::gui::GetDisplay();
    const int n = PixelSize(size);
    if (family) {
        name.Append(256, "-%s-%s%s%s--%i%s", family, bold ? "bold-" : "medium-", italic ? "i-" : "r-",
                    bold ? "bold" : "normal", n, Suffix);
    } else if (n <= 8) {
        name.Append(256, "-misc-fixed-medium-r-*--%i%s", n, Suffix);
    } else if (n <= 12) {
        name.Append(256, "%s%s%i%s", bold ? "-adobe-helvetica-bold" : "-adobe-helvetica-medium",
                    italic ? "-o-*--" : "-r-*--", n, Suffix);
    } else {
        // Large sizes: the first of n + 4 down to 13 pixels that the server
        // has, else the 34-pixel bold font. Italic plays no part here.
        display = d;
        for (int t = n + 4; t >= 13; --t) {
            name.Clear(false);
            name.Append(256, "-adobe-helvetica-%s-r-normal--%i%s", bold ? "bold" : "medium", t, Suffix);
            if (!d)
                continue;
            LoadNamed();
            if (info)
                return;
        }
        if (!d)
            return;
        info = XLoadQueryFont(d, LastResort);
        fontId = info ? info->fid : 0;
        ownsFont = info != nullptr;
        return;
    }
    display = d;
    if (d)
        LoadNamed();
}

void SDrawFont::Extents(const char* text, int n, int& width, int& height) const
{
    width = 0;
    height = 0;
    if (!info)
        return;
    int direction = 0, ascent = 0, descent = 0;
    XCharStruct overall{};
    XTextExtents(info, text, n, &direction, &ascent, &descent, &overall);
    width = overall.width;
    height = ascent + descent;
}

}  // namespace kova::gui::context
