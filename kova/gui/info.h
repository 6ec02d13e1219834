// User-facing messages.
#pragma once

namespace kova::gui {

// Shows a message to the user, titled `title`. Without an X display the
// message goes to standard error as "title: text".
void SInfo(const char* text, const char* title);

}  // namespace kova::gui
