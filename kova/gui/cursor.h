// Mouse cursors. An SCursor wraps one X cursor bound to one X window. The
// editor and the message dialog make one with the default constructor,
// write their window into it, call CreateDefault() (the orange arrow) and
// store it as their globals' cursor; the event dispatcher then calls Set()
// as the pointer enters and Free() as it leaves.
//
// Used from the thread that dispatches X events and from the owner's
// construction and destruction; no locking.
#pragma once

#include <X11/Xlib.h>

namespace kova::gui::context {
class SDrawBitmap;
}

namespace kova::gui {

class SCursor {
public:
    // Shapes of the typed constructor.
    enum Type : unsigned { Invisible = 0, Hand = 2, Watch = 3, LeftPointer = 5 };

    // No cursor and no window; no X request.
    SCursor();
    // Creates the cursor of the type and defines it on the window at once:
    // 2 hand, 3 watch, 0 invisible, anything else the left pointer.
    SCursor(unsigned int type, Window window);
    // Undefines and frees the cursor, then flushes.
    virtual ~SCursor();
    SCursor(const SCursor&) = delete;
    SCursor& operator=(const SCursor&) = delete;

    // Shows this cursor over the window. Nothing without a display, window
    // or cursor.
    virtual void Set();
    // Gives the window its parent's pointer again; the X cursor stays for
    // the next Set().
    virtual void Free();

    // The 24 x 24 arrow, black outline and orange fill, hot spot (0, 0).
    // Neither frees an earlier cursor nor defines the new one on the window.
    void CreateDefault();
    // A cursor from two bitmaps (source and mask) with a black background
    // and white foreground; takes the bitmaps over and deletes them.
    void Create(kova::gui::context::SDrawBitmap* source, kova::gui::context::SDrawBitmap* mask, int hotX, int hotY);
    // Like CreateDefault, from the built-in corner-and-diagonal bitmaps cut
    // to width x height, with the given hot spot. The pointers are not read.
    void Create(void*, void*, int width, int height, int hotX, int hotY);

    unsigned int GetType() const { return type; }
    Window GetWindow() const { return window; }
    void SetWindow(Window w) { window = w; }
    bool IsHidden() const { return hidden; }
    Cursor GetCursor() const { return cursor; }

protected:
    // Releases a cursor made earlier on its own connection.
    void Release();
    void Adopt(Display* display, Cursor c);

    unsigned int type = 0;
    Window window = 0;
    bool hidden = false;
    Cursor cursor = 0;
    Display* display = nullptr;  // the connection the cursor was made on

private:
    void CreateOrange(const unsigned char* source, const unsigned char* mask, int width, int height, int hotX,
                      int hotY);
};

// The standard left pointer bound to the root window.
class SCursorDefault : public SCursor {
public:
    SCursorDefault();

    void Set() override;
    void Free() override;
    bool IsActive() const { return active; }

private:
    bool active = false;
};

}  // namespace kova::gui
