// Tessaro's identity towards hosts, stated once.
#pragma once

#include "plugin/vst/aeffect.h"

namespace tessaro {

constexpr const char* kProductName = "Tessaro";          // effect and product name, message titles
constexpr const char* kVendorName = "tessaro-midi.eu";  // the maker's web domain
constexpr const char* kContactAddress = "bugs@tessaro-midi.eu";
constexpr VstInt32 kUniqueID = kVstFourCC('T', 'S', 'R', 'o');
constexpr VstInt32 kVersion = 1;           // AEffect version
constexpr VstInt32 kVendorVersion = 103;   // effGetVendorVersion
constexpr float kChunkVersion = 1.03f;     // shown in the newer-version message
constexpr VstInt32 kNumPrograms = 32;
constexpr VstInt32 kNumParams = 5;
constexpr VstInt32 kNumInputs = 2;
constexpr VstInt32 kNumOutputs = 2;
constexpr int kEditorWidth = 260;
constexpr int kEditorHeight = 162;

}  // namespace tessaro
