// The X atoms by which toolkit windows describe themselves and talk to
// themselves, interned on the display in use.
#pragma once

#include <X11/Xlib.h>

namespace kova::gui::atoms {

// Properties on every toolkit window: the owning control's address and the
// dispatcher's address (one 32-bit item each, typed with their own atom).
constexpr const char* KovaWindow = "_KOVAWND";
constexpr const char* EventProc = "_XEventProc";
// Client messages a control sends to itself to have the dispatcher draw.
constexpr const char* PaintRegion = "WM_PAINT_REGION";
constexpr const char* PaintArea = "WM_PAINT_AREA";
constexpr const char* PaintOutlines = "WM_PAINT_OUTLINES";
constexpr const char* MenuEntered = "WM_MENU_ENTERED";
constexpr const char* MenuLeft = "WM_MENU_LEFT";
constexpr const char* Protocols = "WM_PROTOCOLS";
constexpr const char* DeleteWindow = "WM_DELETE_WINDOW";
constexpr const char* ChangeState = "WM_CHANGE_STATE";

// XInternAtom on the display in use; None without a display.
// onlyIfExists: None when the server does not know the name.
Atom Intern(const char* name, bool onlyIfExists);

}  // namespace kova::gui::atoms
