#include "tools/tessaro-host/uridmap.h"

namespace tessaro {
namespace host {

UridMap::UridMap()
{
    map_.handle = this;
    map_.map = [](LV2_URID_Map_Handle handle, const char* uri) { return static_cast<UridMap*>(handle)->Map(uri); };
    unmap_.handle = this;
    unmap_.unmap = [](LV2_URID_Unmap_Handle handle, LV2_URID urid) {
        return static_cast<UridMap*>(handle)->Unmap(urid);
    };
}

LV2_URID UridMap::Map(const char* uri)
{
    if (!uri)
        return 0;
    std::lock_guard<std::mutex> guard(lock_);
    for (size_t i = 0; i < uris_.size(); ++i)
        if (uris_[i] == uri)
            return static_cast<LV2_URID>(i + 1);
    uris_.emplace_back(uri);
    return static_cast<LV2_URID>(uris_.size());
}

const char* UridMap::Unmap(LV2_URID urid)
{
    std::lock_guard<std::mutex> guard(lock_);
    return urid >= 1 && urid <= uris_.size() ? uris_[urid - 1].c_str() : nullptr;
}

}  // namespace host
}  // namespace tessaro
