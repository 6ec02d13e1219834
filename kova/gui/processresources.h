// The process-wide objects of the toolkit, made when a binary that carries
// it is loaded and destroyed, in reverse order, when it is unloaded: the
// own X connection `dps`, the system record `sd` and the shared drawing
// resources `statdata`. Each binary (the VST 2 plug-in, the LV2 editor) has
// its own copies, apart from any other binary in the host.
#pragma once

namespace kova::gui {

void LoadProcessResources();
// Stops every toolkit thread first: none may run the binary's code once it
// is unmapped.
void UnloadProcessResources();

}  // namespace kova::gui
