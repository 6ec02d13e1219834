// Loading the plug-in a command names: a VST 2 plug-in (PLUGIN.so) or the
// plug-in of an LV2 bundle (BUNDLE.lv2).
#pragma once

#include <memory>
#include <string>

#include "tools/tessaro-host/midiplugin.h"

namespace tessaro {
namespace host {

// Null after saying why in `error`. An LV2 plug-in is instantiated for the
// sample rate and blocks of up to maxBlockSize frames.
std::unique_ptr<MidiPlugin> LoadPlugin(const std::string& path, float sampleRate, int maxBlockSize,
                                       std::string& error);

}  // namespace host
}  // namespace tessaro
