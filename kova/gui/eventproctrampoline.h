// The address published in every toolkit window's "_XEventProc" property.
// Hosts read it as one 32-bit item (and Xlib sign-extends it on 64-bit
// systems), so on x86_64 it is the address of a small jump to the dispatcher
// placed in the lowest 2 GiB of the address space; on i386 it is the
// dispatcher's own address.
#pragma once

namespace kova::gui {

// The address to publish, or 0 when none below 2 GiB could be had (then the
// property is not written and the toolkit's event pump must serve).
long EventProcAddress();
// Unmaps the jump (library unload). Later calls of EventProcAddress() map a
// new one.
void ReleaseEventProcTrampoline();

}  // namespace kova::gui
