// The standard VST 2 preset containers for plug-ins whose programs are
// opaque chunks: a program file ("FPCh", usually .fxp) or a bank file
// ("FBCh", usually .fxb). Both start with the "CcnK" header; every header
// field is big-endian, and the chunk itself is stored as the plug-in gave it.
//
//   program: CcnK, byteSize, FPCh, version, fxID, fxVersion, numPrograms,
//            prgName[28], chunkSize, chunk          (60-byte header)
//   bank:    CcnK, byteSize, FBCh, version, fxID, fxVersion, numPrograms,
//            future[128], chunkSize, chunk          (160-byte header)
//
// byteSize counts everything after itself. A version 2 bank keeps its
// current program in the first four bytes of future[].
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {
namespace host {

struct PresetFile {
    enum class Kind { Program, Bank };

    Kind kind = Kind::Program;
    int32_t version = 1;
    int32_t fxID = 0;          // unique ID of the plug-in that wrote it
    int32_t fxVersion = 0;     // that plug-in's version
    int32_t numPrograms = 0;
    std::string programName;   // program files only, at most 27 characters
    int32_t currentProgram = -1;  // version 2 banks only; -1 when absent
    std::vector<uint8_t> chunk;
};

// 'TSRo' for printable IDs, else the number in hexadecimal.
std::string FourCCText(int32_t id);

std::vector<uint8_t> EncodePreset(const PresetFile& preset);
// Checks the whole structure; on failure says why and leaves preset alone.
bool DecodePreset(const std::vector<uint8_t>& bytes, PresetFile& preset, std::string& error);

// The largest preset file the host reads (a bank of chunks is a few
// kilobytes).
constexpr size_t kLargestPresetFile = 64u << 20;

bool ReadPresetFile(const std::string& path, PresetFile& preset, std::string& error);
bool WritePresetFile(const std::string& path, const PresetFile& preset, std::string& error);

// Whether the file name asks for a bank (.fxb) rather than a program (.fxp).
bool PathWantsBank(const std::string& path, bool& known);

}  // namespace host
}  // namespace tessaro
