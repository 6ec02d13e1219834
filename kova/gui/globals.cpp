#include "kova/gui/globals.h"

#include <cstring>
#include <x86intrin.h>

#include "kova/threading/thread.h"

SGlobals::SGlobals()
{
    kova::threading::SThread::Sleep(3);
    random.Seed((uint32_t)__rdtsc());
}

void SGlobals::SetBinaryData()
{
    if (!pluginPath)
        return;
    const char* slash = std::strrchr(pluginPath, '/');
    const char* file = slash ? slash + 1 : pluginPath;
    pluginDirectory.Clear(false);
    if (slash)
        pluginDirectory.AppendN(pluginPath, (unsigned)(slash - pluginPath));
    // The name and the extension are joined again, so the file name is kept
    // whole (a name without an extension stays as it is).
    pluginName.Clear(false);
    pluginName.Append(file);
}
