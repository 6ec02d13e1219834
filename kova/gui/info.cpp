#include "kova/gui/info.h"

#include <X11/Xlib.h>
#include <cstdio>
#include <mutex>

#include "kova/gui/connection.h"
#include "kova/gui/dispatchguard.h"
#include "kova/gui/display.h"
#include "kova/gui/eventpump.h"
#include "kova/gui/messagedialog.h"

namespace kova::gui {

namespace {

// Owner of the one message dialog of the process: made by the first SInfo
// with a display, destroyed by CloseInfo at library unload (a static
// object would be destroyed after the shared object is gone).
std::mutex infoMutex;
SMessageDialog* infoDialog = nullptr;

void CentreOnScreen(SMessageDialog* dialog, Display* d)
{
    if (SDisplay* monitors = SDisplay::Current()) {
        monitors->CenterOnWindow(dialog);
        return;
    }
    const int w = DisplayWidth(d, DefaultScreen(d));
    const int h = DisplayHeight(d, DefaultScreen(d));
    dialog->SetPosition((w - dialog->Width()) / 2, (h - dialog->Height()) / 2);
}

}  // namespace

void SInfo(const char* text, const char* title)
{
    Display* d = GetDisplay();
    if (!d) {
        std::fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
        return;
    }
    std::lock_guard<std::mutex> lock(infoMutex);
    {
        // The pump may be drawing the dialog on its own thread.
        SDispatchGuard guard;
        if (!infoDialog)
            infoDialog = new SMessageDialog();
        infoDialog->SetMessage(text, title);
        CentreOnScreen(infoDialog, d);
        XRaiseWindow(d, infoDialog->GetWindow());
        infoDialog->ShowDialog();
        infoDialog->Refresh();
    }
    XFlush(d);
    // Nobody else reads the plug-in's own connection: serve it.
    if (d == dps.load())
        StartEventPump();
}

void CloseInfo()
{
    std::lock_guard<std::mutex> lock(infoMutex);
    SDispatchGuard guard;
    delete infoDialog;
    infoDialog = nullptr;
}

SMessageDialog* InfoDialog()
{
    std::lock_guard<std::mutex> lock(infoMutex);
    return infoDialog;
}

}  // namespace kova::gui
