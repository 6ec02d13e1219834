// The exported entries of the shared object. Hosts look up VSTPluginMain
// first; older Linux hosts call `main`. Both are the same function, and they
// are the only symbols the object exports.
#include "plugin/library.h"

#define TESSARO_EXPORT extern "C" __attribute__((visibility("default")))

TESSARO_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster)
{
    return TessaroCreateInstance(audioMaster);
}

TESSARO_EXPORT AEffect* TessaroLegacyMain(audioMasterCallback audioMaster) asm("main")
    __attribute__((alias("VSTPluginMain")));

namespace {

// Load and unload of the shared object.
struct LibraryLifetime {
    LibraryLifetime() { TessaroLibraryLoad(); }
    ~LibraryLifetime() { TessaroLibraryUnload(); }
} lifetime;

}  // namespace
