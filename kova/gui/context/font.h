// Fonts: X core fonts chosen by a size and two style flags.
//
// The pixel size n in the font name is size + size / 4 (7 -> 8, 8 -> 10,
// 10 -> 12). The names tried, all ending in "-*-*-*-*-*-iso8859-1":
//   family given:   -<family>-<bold|medium>-<i|r>-<bold|normal>--n
//   n up to 8:      -misc-fixed-medium-r-*--n              (no styles)
//   n from 9 to 12: -adobe-helvetica-<bold|medium>-<o|r>-*--n
//   n from 13 on:   -adobe-helvetica-<bold|medium>-r-normal--t for t from
//                   n + 4 down to 13, the first that loads; failing all,
//                   -adobe-helvetica-bold-r-normal--34
// A font whose name the server does not know has no info: it measures as
// zero and draws nothing.
#pragma once

#include <X11/Xlib.h>

#include "kova/data/datastring.h"

namespace kova::gui::context {

class SDrawFont {
public:
    // The font used throughout the system: pass false and a null family.
    SDrawFont(int size, bool bold, bool italic, bool unused, const char* family);
    // The display's default font (the default GC's font) at size 10.
    explicit SDrawFont(bool unused);
    // Records height, styles and face name; loads no font.
    SDrawFont(int height, int, int, int, bool bold, bool italic, unsigned char, unsigned char,
              unsigned char, unsigned char, unsigned char, unsigned char, unsigned char, char* face);
    ~SDrawFont();
    SDrawFont(const SDrawFont&) = delete;
    SDrawFont& operator=(const SDrawFont&) = delete;

    // Pixel size used in the font name for a requested size.
    static int PixelSize(int size) { return size + (size >> 2); }

    int Size() const { return size; }
    bool Bold() const { return bold; }
    bool Italic() const { return italic; }
    // The last font name built; empty for the default font.
    const kova::data::datastring<32, char>& Name() const { return name; }
    Font Id() const { return fontId; }
    // Metrics of the loaded font; null when loading failed.
    XFontStruct* Info() const { return info; }
    // Overall width and ascent + descent of n characters; 0, 0 for a font
    // that did not load.
    void Extents(const char* text, int n, int& width, int& height) const;
    int Ascent() const { return info ? info->ascent : 0; }
    int Descent() const { return info ? info->descent : 0; }
    // The connection the font was loaded on (null when none).
    Display* GetConnection() const { return display; }
    // False for the default font, whose id names the default GC rather than
    // a font: it cannot be set on another GC (a fresh GC already has it).
    bool Settable() const { return ownsFont && info; }
    // Makes the destructor leave the server alone: for a font on a
    // connection that may already be closed (the host's, at unload). The
    // server frees the font with its connection.
    void DetachFromServer() { serverGone = true; }

private:
    void Load(const char* family);
    void LoadNamed();

    int size;
    kova::data::datastring<32, char> name;
    bool bold;
    bool italic;
    Font fontId = 0;
    XFontStruct* info = nullptr;
    Display* display = nullptr;
    bool ownsFont = false;  // the default font belongs to the server's GC
    bool serverGone = false;
};

}  // namespace kova::gui::context
