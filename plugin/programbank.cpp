#include "plugin/programbank.h"

#include <cstdio>
#include <cstring>

#include "kova/gui/info.h"

VSTPluginProgramBank::VSTPluginProgramBank()
{
    std::memset(programs, 0, sizeof programs);
    for (int i = 0; i < kPrograms; ++i) {
        VSTPluginProgram& p = programs[i];
        std::snprintf(p.name, sizeof p.name, i < 9 ? "0%i - empty preset" : "%i - empty preset", i + 1);
        p.polyphony = 16;
    }
}

int VSTPluginProgramBank::readProgram(const void* data, long size, int index, bool* newerVersion)
{
    if (!data || size < kProgramSize || index < 0 || index >= kPrograms)
        return 0;
    std::memmove(&programs[index], data, kProgramSize); // data may be our own record
    if (size > kProgramSize) {
        if (newerVersion)
            *newerVersion = true;
        else
            ShowNewerVersionMessage(false);
    }
    return 1;
}

int VSTPluginProgramBank::readBank(const void* data, long size, bool* newerVersion)
{
    if (!data || size < kBankSize)
        return 0;
    std::memmove(programs, data, kBankSize); // data may be our own records
    if (size > kBankSize) {
        if (newerVersion)
            *newerVersion = true;
        else
            ShowNewerVersionMessage(true);
    }
    return 1;
}

const char* VSTPluginProgramBank::NewerVersionMessage(bool bank, char* text, size_t size)
{
    std::snprintf(text, size, "%s\n(Reason: %s\nThis version = %.2f\nSome settings will be lost !)",
                  bank ? "Failed to load bank" : "Failed to load program", "Saved with newer version",
                  static_cast<double>(tessaro::kChunkVersion));
    return text;
}

void VSTPluginProgramBank::ShowNewerVersionMessage(bool bank)
{
    char text[160];
    kova::gui::SInfo(NewerVersionMessage(bank, text, sizeof text), tessaro::kProductName);
}
