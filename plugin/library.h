// What happens when the shared object is loaded and unloaded: the
// process-wide X connection `dps`, system record `sd` and drawing resources
// `statdata` are made once and destroyed in reverse order.
#pragma once

#include "plugin/vst/aeffect.h"

void TessaroLibraryLoad();
void TessaroLibraryUnload();

// The body of the exported entry: asks the host's version, checks the
// requirements, creates one instance or reports why it cannot.
AEffect* TessaroCreateInstance(audioMasterCallback audioMaster);

// The load-failure message for a start-up status (plugin/startupstatus.h).
// hostName is used for status 3.
void TessaroFailureMessage(int status, const char* hostName, char* out, int size);
