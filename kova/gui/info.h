// User-facing messages.
#pragma once

namespace kova::gui {

// Shows a message to the user, titled `title`, in the process-wide message
// dialog, centred on its monitor, and returns at once. Without an X display
// the message goes to standard error as "title: text".
//
// The dialog lives on the display in use when it is first needed. When that
// is the plug-in's own connection, nothing else reads its events, so the
// toolkit's event pump is started to draw the dialog and serve its OK
// button; it runs until the library is unloaded.
void SInfo(const char* text, const char* title);

// Destroys the message dialog (library unload: after the event pump has
// stopped, before the display is closed). Safe to call more than once.
void CloseInfo();

class SMessageDialog;
// The dialog SInfo shows, or null before the first message (for tests).
SMessageDialog* InfoDialog();

}  // namespace kova::gui
