// Bitmaps: server-side pixmaps of the screen's depth, blank or made from an
// XPM image built into the program.
#pragma once

#include <X11/Xlib.h>

#include "kova/data/datastring.h"

namespace kova::gui::context {

class SDrawBitmap {
public:
    SDrawBitmap();
    // Creates the pixmap at once (see Create).
    SDrawBitmap(void* xpm, int width, int height, bool flag);
    // These forms make an empty bitmap and nothing else.
    explicit SDrawBitmap(int);
    SDrawBitmap(const kova::data::datastring<32, char>&, bool, int);
    SDrawBitmap(int, int, int, int, void*);
    virtual ~SDrawBitmap();
    SDrawBitmap(const SDrawBitmap&) = delete;
    SDrawBitmap& operator=(const SDrawBitmap&) = delete;

    virtual bool Use();

    // Makes the pixmap once; a bitmap that has one keeps it. Without XPM data
    // the pixmap is width x height of the default depth with undefined
    // contents. With XPM data (an array of XPM lines) the image's own size
    // replaces the one passed in; when the image cannot be loaded the size
    // becomes 1 x 1.
    void Create(void* xpm, int width, int height, bool flag);
    void Create(int);
    void Create(const kova::data::datastring<32, char>&, bool, int);
    void Create(int, int, int, int, void*);

    // The stored size when there is a pixmap, else 0.
    int Width() const;
    int Height() const;

    Pixmap GetPixmap() const { return pixmap; }
    bool Flag() const { return flag; }
    // The connection the pixmap lives on (null when there is none).
    Display* GetConnection() const { return display; }

protected:
    int width = 0;
    int height = 0;
    bool flag = false;
    Pixmap pixmap = 0;
    Display* display = nullptr;
};

// A mask bitmap. Masks have no effect on drawing in this toolkit.
class SDrawBitmapMask : public SDrawBitmap {
public:
    SDrawBitmapMask();
    SDrawBitmapMask(unsigned char* xpm, int width, int height);
    explicit SDrawBitmapMask(int);
    SDrawBitmapMask(const kova::data::datastring<32, char>&, bool, int);
    SDrawBitmapMask(int, int, int, int, void*);
    ~SDrawBitmapMask() override;

    bool Use() override;
    // Clears the in-use flag and stores the value; the bitmap is not used.
    void SetMask(SDrawBitmap*, int value);
    int MaskValue() const { return maskValue; }

private:
    int maskValue = 0;
    bool inUse = false;
};

}  // namespace kova::gui::context
