// The host's URID map: every URI a plug-in or its UI maps gets a number
// from 1 up, the same for the life of the host. Plug-ins may map from any
// thread, so the table is locked; unmapped strings stay where they are.
#pragma once

#include <lv2/urid/urid.h>

#include <deque>
#include <mutex>
#include <string>

namespace tessaro {
namespace host {

class UridMap {
public:
    UridMap();
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID Map(const char* uri);
    // Null for a number never handed out.
    const char* Unmap(LV2_URID urid);

    // The feature data for urid:map and urid:unmap.
    LV2_URID_Map* MapFeature() { return &map_; }
    LV2_URID_Unmap* UnmapFeature() { return &unmap_; }

private:
    std::mutex lock_;
    std::deque<std::string> uris_;  // URID n is uris_[n - 1]; a deque never moves its strings
    LV2_URID_Map map_;
    LV2_URID_Unmap unmap_;
};

}  // namespace host
}  // namespace tessaro
