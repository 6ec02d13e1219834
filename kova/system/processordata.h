// Processor facts read from /proc/cpuinfo (and CPUID as a last resort).
#pragma once

#include <cstdint>

namespace kova::system {

enum ProcessorFeature : uint32_t {
    kFeatureMMX = 1u << 0,
    kFeatureSSE = 1u << 1,
    kFeatureSSE2 = 1u << 2,
    kFeature3DNow = 1u << 3,
};

class SProcessorData {
public:
    // Reads /proc/cpuinfo; false (with a message on standard error) when
    // the file is missing or empty.
    bool QueryRegistry();
    // Calls QueryRegistry and returns true.
    bool QueryFeatures();

    // Parses the first 2048 bytes of a cpuinfo text. Returns true.
    bool ParseCpuInfo(const char* text);

    int32_t count = 0;
    int32_t clockMHz = 0;
    uint32_t features = 0;
    char vendor[256] = {};
    char model[256] = {};
};

}  // namespace kova::system
