// The plug-in side of `tessaro-host edit`, one per format: it loads the
// plug-in with its settings, opens the editor inside the host's window,
// serves it, and closes it. The host's window, its event loop, the idle
// timer, the playing thread and the screenshot are the same for every
// format (editorhost.cpp).
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <string>

#include "tools/tessaro-host/editorhost.h"
#include "tools/tessaro-host/midiplugin.h"

namespace tessaro {
namespace host {

class EmbeddedEditor {
public:
    // Asks the host window for a new size; true when it was given.
    using ResizeHandler = std::function<bool(int width, int height)>;

    virtual ~EmbeddedEditor() = default;

    // Loads the plug-in, applies the settings and finds its editor; on
    // failure says why in one line and leaves nothing loaded.
    virtual bool Load(const EditOptions& options, std::string& error) = 0;
    virtual MidiPlugin& Plugin() = 0;
    virtual std::string Title() = 0;
    // The editor's size before it opens, where the plug-in tells it.
    virtual bool SizeBeforeOpening(int& width, int& height) = 0;
    // Opens the editor inside `window`. `resize` serves the editor's size
    // requests from then on.
    virtual bool Open(Display* display, Window window, ResizeHandler resize, std::string& error) = 0;
    // The size of the open editor, where it differs from what was known.
    virtual bool SizeAfterOpening(Display* display, int& width, int& height) = 0;
    // An event the host's connection received for a window of the editor.
    virtual void Dispatch(Display* display, XEvent& event) = 0;
    // The idle call, every 40 ms; false when the editor asks to be closed.
    virtual bool Idle() = 0;
    virtual void Close() = 0;
    // Frees the plug-in; called before the host's display goes away.
    virtual void Unload() = 0;
};

}  // namespace host
}  // namespace tessaro
