#include "tools/tessaro-host/presetfile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "plugin/vst/aeffect.h"
#include "tools/tessaro-host/fileread.h"
#include "tools/tessaro-host/filewrite.h"

namespace tessaro {
namespace host {

namespace {

constexpr int32_t kChunkMagic = kVstFourCC('C', 'c', 'n', 'K');
constexpr int32_t kProgramChunk = kVstFourCC('F', 'P', 'C', 'h');
constexpr int32_t kBankChunk = kVstFourCC('F', 'B', 'C', 'h');
constexpr int32_t kProgramParams = kVstFourCC('F', 'x', 'C', 'k');
constexpr int32_t kBankParams = kVstFourCC('F', 'x', 'B', 'k');
constexpr size_t kNameBytes = 28;
constexpr size_t kFutureBytes = 128;
constexpr size_t kProgramHeader = 7 * 4 + kNameBytes + 4;  // 60
constexpr size_t kBankHeader = 7 * 4 + kFutureBytes + 4;   // 160

void Put(std::vector<uint8_t>& out, int32_t v)
{
    const uint32_t u = static_cast<uint32_t>(v);
    out.push_back(uint8_t(u >> 24));
    out.push_back(uint8_t(u >> 16));
    out.push_back(uint8_t(u >> 8));
    out.push_back(uint8_t(u));
}

int32_t Get(const std::vector<uint8_t>& in, size_t at)
{
    return static_cast<int32_t>((uint32_t(in[at]) << 24) | (uint32_t(in[at + 1]) << 16) |
                                (uint32_t(in[at + 2]) << 8) | uint32_t(in[at + 3]));
}

}  // namespace

std::string FourCCText(int32_t id)
{
    const uint32_t u = static_cast<uint32_t>(id);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((u >> shift) & 0xFF);
        if (!std::isprint(static_cast<unsigned char>(c))) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", u);
            return hex;
        }
        text += c;
    }
    return "'" + text + "'";
}

std::vector<uint8_t> EncodePreset(const PresetFile& p)
{
    const bool bank = p.kind == PresetFile::Kind::Bank;
    std::vector<uint8_t> out;
    Put(out, kChunkMagic);
    Put(out, 0);  // byteSize, filled in below
    Put(out, bank ? kBankChunk : kProgramChunk);
    Put(out, p.version);
    Put(out, p.fxID);
    Put(out, p.fxVersion);
    Put(out, p.numPrograms);
    if (bank) {
        std::vector<uint8_t> future(kFutureBytes, 0);
        if (p.version >= 2 && p.currentProgram >= 0) {
            std::vector<uint8_t> current;
            Put(current, p.currentProgram);
            std::copy(current.begin(), current.end(), future.begin());
        }
        out.insert(out.end(), future.begin(), future.end());
    } else {
        char name[kNameBytes] = {};
        std::strncpy(name, p.programName.c_str(), kNameBytes - 1);
        out.insert(out.end(), name, name + kNameBytes);
    }
    Put(out, static_cast<int32_t>(p.chunk.size()));
    out.insert(out.end(), p.chunk.begin(), p.chunk.end());
    const int32_t byteSize = static_cast<int32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = uint8_t(static_cast<uint32_t>(byteSize) >> (24 - 8 * i));
    return out;
}

bool DecodePreset(const std::vector<uint8_t>& in, PresetFile& preset, std::string& error)
{
    if (in.size() < 12 || Get(in, 0) != kChunkMagic) {
        error = "not a VST preset file (no CcnK header)";
        return false;
    }
    const int32_t magic = Get(in, 8);
    if (magic == kProgramParams || magic == kBankParams) {
        error = "the file holds parameter values, not a chunk; this plug-in's presets are chunks";
        return false;
    }
    if (magic != kProgramChunk && magic != kBankChunk) {
        error = "unknown preset kind " + FourCCText(magic) + " (expected 'FPCh' or 'FBCh')";
        return false;
    }
    const bool bank = magic == kBankChunk;
    const size_t header = bank ? kBankHeader : kProgramHeader;
    if (in.size() < header) {
        error = std::string("the ") + (bank ? "bank" : "program") + " file is cut off inside its header";
        return false;
    }
    const int64_t byteSize = Get(in, 4);
    if (byteSize < int64_t(header) - 8 || uint64_t(byteSize) + 8 > in.size()) {
        error = "the file is cut off: its header announces " + std::to_string(byteSize + 8) + " bytes, it has " +
                std::to_string(in.size());
        return false;
    }
    const int64_t chunkSize = Get(in, header - 4);
    if (chunkSize < 0 || uint64_t(chunkSize) > in.size() - header) {
        error = "the file is cut off: its chunk should be " + std::to_string(chunkSize) + " bytes, " +
                std::to_string(in.size() - header) + " are there";
        return false;
    }

    PresetFile p;
    p.kind = bank ? PresetFile::Kind::Bank : PresetFile::Kind::Program;
    p.version = Get(in, 12);
    p.fxID = Get(in, 16);
    p.fxVersion = Get(in, 20);
    p.numPrograms = Get(in, 24);
    if (bank) {
        if (p.version >= 2)
            p.currentProgram = Get(in, 28);
    } else {
        const char* name = reinterpret_cast<const char*>(&in[28]);
        p.programName.assign(name, strnlen(name, kNameBytes));
    }
    p.chunk.assign(in.begin() + ptrdiff_t(header), in.begin() + ptrdiff_t(header + size_t(chunkSize)));
    preset = std::move(p);
    return true;
}

bool ReadPresetFile(const std::string& path, PresetFile& preset, std::string& error)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, "preset file", kLargestPresetFile, bytes, error))
        return false;
    if (!DecodePreset(bytes, preset, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool WritePresetFile(const std::string& path, const PresetFile& preset, std::string& error)
{
    return WriteWholeFile(path, EncodePreset(preset), error);
}

bool PathWantsBank(const std::string& path, bool& known)
{
    std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : "";
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    known = ext == ".fxb" || ext == ".fxp";
    return ext == ".fxb";
}

}  // namespace host
}  // namespace tessaro
