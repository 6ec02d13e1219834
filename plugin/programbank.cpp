#include "plugin/programbank.h"

#include <cstdio>
#include <cstring>

VSTPluginProgramBank::VSTPluginProgramBank()
{
    std::memset(programs, 0, sizeof programs);
    for (int i = 0; i < kPrograms; ++i) {
        VSTPluginProgram& p = programs[i];
        std::snprintf(p.name, sizeof p.name, i < 9 ? "0%i - empty preset" : "%i - empty preset", i + 1);
        p.polyphony = 16;
    }
}

ChunkLoad VSTPluginProgramBank::readProgram(const void* data, long size, int index)
{
    if (!data || size < kProgramSize || index < 0 || index >= kPrograms)
        return ChunkLoad::Refused;
    std::memmove(&programs[index], data, kProgramSize); // data may be our own record
    return size > kProgramSize ? ChunkLoad::LoadedFromNewerVersion : ChunkLoad::Loaded;
}

ChunkLoad VSTPluginProgramBank::readBank(const void* data, long size)
{
    if (!data || size < kBankSize)
        return ChunkLoad::Refused;
    std::memmove(programs, data, kBankSize); // data may be our own records
    return size > kBankSize ? ChunkLoad::LoadedFromNewerVersion : ChunkLoad::Loaded;
}

const char* VSTPluginProgramBank::NewerVersionMessage(bool bank, char* text, size_t size)
{
    std::snprintf(text, size, "%s\n(Reason: %s\nThis version = %.2f\nSome settings will be lost !)",
                  bank ? "Failed to load bank" : "Failed to load program", "Saved with newer version",
                  static_cast<double>(tessaro::kChunkVersion));
    return text;
}
