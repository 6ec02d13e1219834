// The process-wide system record `sd`: processor, operating system and
// monitor facts, probed once when the library is loaded. The monitors are
// the GUI side's to probe (it owns the X connection); it hands their
// description in through SetDisplayInfos.
#pragma once

#include "kova/data/datastring.h"
#include "kova/system/operatingsystemdata.h"
#include "kova/system/processordata.h"

#include <cstdint>

namespace kova::system {

class SSystemData {
public:
    SSystemData() = default;
    SSystemData(const SSystemData&) = delete;
    SSystemData& operator=(const SSystemData&) = delete;

    bool getOSInfos();
    void getCPUInfos();
    // The monitors' lines of FeatureMessage, as the GUI side found them.
    void SetDisplayInfos(const char* description);

    // Kernel release plus MMX, and SSE / SSE2 when asked for.
    bool Qualifies(bool needSSE, bool needSSE2) const;

    // Plain-text reports: the system summary and the list of unmet
    // requirements. Nothing shows them; they serve diagnostics.
    kova::data::datastring<32, char> FeatureMessage() const;
    kova::data::datastring<32, char> ErrorMessage(bool needSSE, bool needSSE2) const;

    kova::data::datastring<32, char> displayDescription;
    int32_t clockMHz = 0;
    int32_t processorCount = 0;
    bool sse = false;
    bool sse2 = false;
    bool mmx = false;
    bool now3d = false;
    bool osSupported = false;
    kova::data::datastring<32, char> processorDescription;
    kova::data::datastring<32, char> osDescription;
    SOperatingSystemData osData;
    SProcessorData processorData;
};

}  // namespace kova::system

// Created at library load, destroyed at unload.
extern kova::system::SSystemData* sd;
