#include "kova/gui/dialog.h"

#include <X11/Xlib.h>
#include <cstring>

#include "kova/gui/connection.h"
#include "kova/gui/context/font.h"
#include "kova/gui/cursor.h"
#include "kova/gui/globals.h"

namespace kova::gui {

SDialog::SDialog() : ownGlobals(new SGlobals())
{
}

SDialog::~SDialog()
{
    // The children and the window go with the SWindow part, after the
    // dialog's own font, cursor and globals.
    delete dialogFont;
    dialogFont = nullptr;
    if (ownGlobals)
        ownGlobals->cursor = nullptr;
    delete cursor;
    cursor = nullptr;
    // Controls keep a pointer to the globals until they are gone, so the
    // record outlives the children (deleted by ~SWindow).
    DeleteChildren();
    delete ownGlobals;
    ownGlobals = nullptr;
    globals = nullptr;
}

void SDialog::CreateCursor()
{
    cursor = new SCursor();
    cursor->SetWindow(window);
    cursor->CreateDefault();
    if (ownGlobals)
        ownGlobals->cursor = cursor;
}

void SDialog::ShowDialog()
{
    Show();
    Foreground(true);
    shown = true;
}

void SDialog::CloseDialog()
{
    Hide();
    shown = false;
    running = false;
}

void SDialog::ShowModal()
{
    Show();
    Foreground(true);
    RunModalLoop();
}

void SDialog::RunModalLoop()
{
    Display* d = GetDisplay();
    if (!d)
        return;
    shown = true;
    running = true;
    XFlush(d);
    while (running) {
        XEvent ev;
        XNextEvent(d, &ev);
        if (ev.type == ClientMessage) {
            char* name = XGetAtomName(d, ev.xclient.message_type);
            const bool protocols = name && std::strcmp(name, "WM_PROTOCOLS") == 0;
            if (name)
                XFree(name);
            if (protocols)
                return;
        }
        SControl::eventProc(&ev);
    }
    running = false;
}

}  // namespace kova::gui
