// What happens when the LV2 UI binary is loaded and unloaded: the
// process-wide objects of the toolkit (the own X connection `dps`, the
// system record `sd`, the drawing resources `statdata`) are made once and
// destroyed in reverse order, as in the VST 2 plug-in. The UI binary has
// its own copies of them, apart from any other binary in the host.
#pragma once

namespace tessaro::lv2 {

void UILibraryLoad();
void UILibraryUnload();

}  // namespace tessaro::lv2
