#include "tools/tessaro-host/loadplugin.h"

#include "tools/tessaro-host/lv2host.h"
#include "tools/tessaro-host/pluginhost.h"

namespace tessaro {
namespace host {

std::unique_ptr<MidiPlugin> LoadPlugin(const std::string& path, float sampleRate, int maxBlockSize,
                                       std::string& error)
{
    if (Lv2Host::IsBundlePath(path)) {
        std::unique_ptr<Lv2Host> lv2(new Lv2Host);
        if (!lv2->Load(path, sampleRate, maxBlockSize, error))
            return nullptr;
        return lv2;
    }
    std::unique_ptr<PluginHost> vst(new PluginHost);
    if (!vst->Load(path, error))
        return nullptr;
    return vst;
}

}  // namespace host
}  // namespace tessaro
