// SDialog: a top-level dialog window with globals, a font and a cursor of
// its own, and a modal loop for programs that want to wait for it.
#pragma once

#include "kova/gui/window.h"

namespace kova::gui::context {
class SDrawFont;
}

namespace kova::gui {

class SCursor;

class SDialog : public SWindow {
public:
    // Makes the dialog's own globals record; the window itself is created by
    // the derived dialog (it chooses name, flags and size).
    SDialog();
    ~SDialog() override;

    // Hides the dialog and ends a modal loop.
    void CloseDialog() override;
    // Shows and raises the dialog; returns at once.
    virtual void ShowDialog();
    // Shows the dialog and dispatches the events of the display in use until
    // the dialog is closed (or the window manager asks to close a window).
    virtual void ShowModal();

    bool IsShown() const { return shown; }
    kova::gui::context::SDrawFont* GetDialogFont() const { return dialogFont; }
    SGlobals* GetOwnGlobals() const { return ownGlobals; }
    SCursor* GetCursor() const { return cursor; }

protected:
    // The modal loop: every event of the display goes to the dispatcher.
    void RunModalLoop();
    // The default arrow for the dialog's window, also the globals' cursor.
    void CreateCursor();

    kova::gui::context::SDrawFont* dialogFont = nullptr;
    SGlobals* ownGlobals = nullptr;
    SCursor* cursor = nullptr;
    bool shown = false;
};

}  // namespace kova::gui
