// The 32 programs of the engine. One program is a fixed 96-byte record; the
// records lie back to back and the same bytes are the in-memory settings,
// the program chunk (one record) and the bank chunk (all 32). There is no
// header: the format version is implied by the size, and a longer chunk is
// taken as written by a newer version.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/identity.h"

// Integers little-endian, as the chunks store them.
struct VSTPluginProgram {
    int32_t reserved0;         // written as 0, never read
    char name[48];             // NUL-terminated, at most 47 characters
    int32_t polyCC;            // remote controllers: 0 off, else controller + 1
    int32_t killCC;
    int32_t panicCC;
    int32_t stealPolicy;       // 0 oldest, 1 newest, 2 lowest, 3 highest, 4 quietest; others as 0
    int32_t perChannel;        // non-zero: the limit counts each MIDI channel on its own
    int32_t noteReturn;        // non-zero: notes that lost their voice with the key down come back
    int32_t reserved1[2];
    int32_t polyphony;         // 0-127 when set as a parameter; a chunk may hold anything
    uint8_t kill;              // 0/1: end the oldest note when the limit is reached
    uint8_t midiThrough;       // 0/1: pass messages other than notes
    uint8_t presetSwitching;   // 0/1: program changes select programs
    uint8_t sustainPedal;      // 0/1: the limiter takes CC 64 and holds released notes
    uint8_t reserved2[4];
};

static_assert(sizeof(VSTPluginProgram) == 96, "a program record is 96 bytes");
static_assert(offsetof(VSTPluginProgram, name) == 4, "program record layout");
static_assert(offsetof(VSTPluginProgram, polyCC) == 52, "program record layout");
static_assert(offsetof(VSTPluginProgram, stealPolicy) == 64, "program record layout");
static_assert(offsetof(VSTPluginProgram, noteReturn) == 72, "program record layout");
static_assert(offsetof(VSTPluginProgram, polyphony) == 84, "program record layout");
static_assert(offsetof(VSTPluginProgram, kill) == 88, "program record layout");
static_assert(offsetof(VSTPluginProgram, sustainPedal) == 91, "program record layout");

// What loading a chunk did.
enum class ChunkLoad {
    Refused,                 // shorter than a record (or the bank): nothing changed
    Loaded,
    LoadedFromNewerVersion,  // longer: the first records' worth loaded, the rest lost
};

class VSTPluginProgramBank {
public:
    static constexpr int kPrograms = tessaro::kNumPrograms;
    static constexpr int kProgramSize = static_cast<int>(sizeof(VSTPluginProgram));
    static constexpr int kBankSize = kPrograms * kProgramSize;
    static constexpr int kNameSize = 48;

    // Every program as new: "01 - empty preset" ... "32 - empty preset",
    // polyphony 16, options and controllers off.
    VSTPluginProgramBank();

    // Loads one program chunk into record `index`. Shorter than a record:
    // refused, nothing changes. Longer: the first record's worth is loaded,
    // and the caller tells the user that some settings were lost.
    ChunkLoad readProgram(const void* data, long size, int index);
    // The same for a bank chunk of all 32 records.
    ChunkLoad readBank(const void* data, long size);

    // What the user is told about a chunk from a newer version:
    // "Failed to load bank|program\n(Reason: Saved with newer version ...".
    // Returns `text`.
    static const char* NewerVersionMessage(bool bank, char* text, size_t size);

    VSTPluginProgram programs[kPrograms];
};

static_assert(sizeof(VSTPluginProgramBank) == VSTPluginProgramBank::kBankSize,
              "the bank chunk is the records back to back");
