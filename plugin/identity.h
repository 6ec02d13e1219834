// Tessaro's identity towards hosts, stated once. Plain integers, so that the
// engine and every host adapter use it without any host interface's headers.
#pragma once

#include <cstdint>

namespace tessaro {

// Four characters packed most significant first, as hosts store plug-in IDs.
constexpr int32_t FourCharCode(char a, char b, char c, char d)
{
    return static_cast<int32_t>((uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) |
                                (uint32_t(uint8_t(c)) << 8) | uint32_t(uint8_t(d)));
}

constexpr const char* kProductName = "Tessaro";          // effect and product name, message titles
constexpr const char* kVendorName = "tessaro-midi.eu";  // the maker's web domain
constexpr const char* kContactAddress = "bugs@tessaro-midi.eu";
constexpr int32_t kUniqueID = FourCharCode('T', 'S', 'R', 'o');
constexpr int32_t kVersion = 1;           // AEffect version
constexpr int32_t kVendorVersion = 103;   // effGetVendorVersion
constexpr float kChunkVersion = 1.03f;    // shown in the newer-version message
constexpr int32_t kNumPrograms = 32;
constexpr int32_t kNumParams = 6;
constexpr int32_t kNumInputs = 2;
constexpr int32_t kNumOutputs = 2;
constexpr int kEditorWidth = 260;
constexpr int kEditorHeight = 162;

}  // namespace tessaro
