// The X atoms by which toolkit windows describe themselves and talk to
// themselves, interned on the display in use.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

namespace kova::gui::atoms {

// Properties on every toolkit window: the owning control's address and the
// dispatcher's address, typed with their own atom.
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

// Addresses in format-32 items, which carry 32 bits on the wire: one item
// on 32-bit systems, the low word and then the high word on 64-bit ones.
constexpr int AddressItems = sizeof(void*) > 4 ? 2 : 1;
inline void SplitAddress(const void* p, long items[2])
{
    const uint64_t address = (uint64_t)(uintptr_t)p;
    items[0] = (long)(address & 0xFFFFFFFFu);
    items[1] = (long)(address >> 32);
}
inline void* JoinAddress(const long* items)
{
    uint64_t address = (uint64_t)(items[0] & 0xFFFFFFFFL);
    if (AddressItems == 2)
        address |= (uint64_t)(items[1] & 0xFFFFFFFFL) << 32;
    return (void*)(uintptr_t)address;
}

// XInternAtom on the display in use; None without a display.
// onlyIfExists: None when the server does not know the name.
Atom Intern(const char* name, bool onlyIfExists);

}  // namespace kova::gui::atoms
