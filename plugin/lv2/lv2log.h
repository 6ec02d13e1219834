// Messages of the LV2 binaries to the user: through the host's log
// (log:log) where the host offers one, which most hosts show in their log
// window, else on standard error. Never called on the audio thread.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/urid/urid.h>

#include <cstdio>
#include <cstring>

#include "plugin/identity.h"

namespace tessaro::lv2 {

// The feature's data for a URI, or null when the host did not pass it.
inline void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
    for (int i = 0; features && features[i]; ++i)
        if (features[i]->URI && std::strcmp(features[i]->URI, uri) == 0)
            return features[i]->data;
    return nullptr;
}

class SLV2Log {
public:
    explicit SLV2Log(const LV2_Feature* const* features)
        : log(static_cast<LV2_Log_Log*>(FindFeature(features, LV2_LOG__log)))
    {
        const auto* map = static_cast<const LV2_URID_Map*>(FindFeature(features, LV2_URID__map));
        if (log && map) {
            error = map->map(map->handle, LV2_LOG__Error);
            warning = map->map(map->handle, LV2_LOG__Warning);
        } else {
            log = nullptr;
        }
    }

    // "Tessaro: <text>" as an error, or as a warning.
    void Error(const char* text) const { Write(error, text); }
    void Warning(const char* text) const { Write(warning, text); }

private:
    void Write(LV2_URID type, const char* text) const
    {
        if (log)
            log->printf(log->handle, type, "%s: %s\n", kProductName, text);
        else
            std::fprintf(stderr, "%s: %s\n", kProductName, text);
    }

    LV2_Log_Log* log;
    LV2_URID error = 0;
    LV2_URID warning = 0;
};

}  // namespace tessaro::lv2
