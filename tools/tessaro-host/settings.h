// The settings a command applies to the plug-in before it runs, in the
// order they stand on the command line: `--program N`, `--load FILE`,
// `--set INDEX=VALUE`. Everything is checked before anything is applied,
// so a bad option or a foreign preset file changes nothing.
#pragma once

#include <string>
#include <vector>

#include "tools/tessaro-host/midiplugin.h"
#include "tools/tessaro-host/presetfile.h"

namespace tessaro {
namespace host {

struct Setting {
    enum class Kind { Program, Load, Parameter };
    Kind kind;
    int index = 0;       // program or parameter
    float value = 0.0f;  // parameter value, 0 to 1
    std::string path;    // preset file
    PresetFile preset;   // read when the option is parsed
};

// Parses the value of `--set`: "INDEX=VALUE" with VALUE a number from 0 to
// 1 or a fraction such as "4/127".
bool ParseParameterSetting(const std::string& text, Setting& setting, std::string& error);
bool ParseProgramSetting(const std::string& text, Setting& setting, std::string& error);
// Reads and checks the preset file at once.
bool ParseLoadSetting(const std::string& path, Setting& setting, std::string& error);

// Checks every setting against the loaded plug-in, then applies them all.
bool ApplySettings(MidiPlugin& plugin, const std::vector<Setting>& settings, std::string& error);

// "OP: Polyphony = 4, OP: Kill = On, ..." for every parameter.
std::string DescribeParameters(const MidiPlugin& plugin);

}  // namespace host
}  // namespace tessaro
