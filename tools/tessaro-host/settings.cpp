#include "tools/tessaro-host/settings.h"

#include <cerrno>
#include <cstdlib>

namespace tessaro {
namespace host {

namespace {

bool ParseInt(const std::string& text, long& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && *end == 0;
}

bool ParseNumber(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == 0;
}

// "parameters 0 to 4", or "no parameters".
std::string Range(const char* what, int count)
{
    return count > 0 ? std::string(what) + " 0 to " + std::to_string(count - 1) : std::string("no ") + what;
}

}  // namespace

bool ParseParameterSetting(const std::string& text, Setting& setting, std::string& error)
{
    const size_t eq = text.find('=');
    long index;
    double value;
    if (eq == std::string::npos || !ParseInt(text.substr(0, eq), index) || index < 0) {
        error = "--set " + text + ": expected INDEX=VALUE, for example 0=0.5 or 0=4/127";
        return false;
    }
    const std::string v = text.substr(eq + 1);
    const size_t slash = v.find('/');
    if (slash != std::string::npos) {
        double num, den;
        if (!ParseNumber(v.substr(0, slash), num) || !ParseNumber(v.substr(slash + 1), den) || den == 0) {
            error = "--set " + text + ": the value " + v + " is not a fraction";
            return false;
        }
        value = num / den;
    } else if (!ParseNumber(v, value)) {
        error = "--set " + text + ": the value " + v + " is not a number";
        return false;
    }
    if (!(value >= 0.0 && value <= 1.0)) {
        error = "--set " + text + ": parameter values run from 0 to 1";
        return false;
    }
    setting.kind = Setting::Kind::Parameter;
    setting.index = static_cast<int>(index);
    setting.value = static_cast<float>(value);
    return true;
}

bool ParseProgramSetting(const std::string& text, Setting& setting, std::string& error)
{
    long program;
    if (!ParseInt(text, program) || program < 0) {
        error = "--program " + text + ": expected a program number from 0";
        return false;
    }
    setting.kind = Setting::Kind::Program;
    setting.index = static_cast<int>(program);
    return true;
}

bool ParseLoadSetting(const std::string& path, Setting& setting, std::string& error)
{
    setting.kind = Setting::Kind::Load;
    setting.path = path;
    return ReadPresetFile(path, setting.preset, error);
}

bool ApplySettings(MidiPlugin& plugin, const std::vector<Setting>& settings, std::string& error)
{
    for (const Setting& s : settings) {
        switch (s.kind) {
        case Setting::Kind::Program:
            if (s.index >= plugin.ProgramCount()) {
                error = "--program " + std::to_string(s.index) + ": the plug-in has " +
                        Range("programs", plugin.ProgramCount());
                return false;
            }
            break;
        case Setting::Kind::Parameter:
            if (!plugin.HasParameter(s.index)) {
                error = "--set " + std::to_string(s.index) + "=...: the plug-in has " +
                        Range("parameters", plugin.ParameterCount());
                for (const int option : MidiPlugin::kOptionParameters)
                    if (option >= plugin.ParameterCount() && plugin.HasParameter(option))
                        error += ", " + std::to_string(option);
                return false;
            }
            break;
        case Setting::Kind::Load:
            if (!plugin.CanLoad(s.preset, s.path, error))
                return false;
            break;
        }
    }
    for (const Setting& s : settings) {
        switch (s.kind) {
        case Setting::Kind::Program:
            plugin.SetProgram(s.index);
            break;
        case Setting::Kind::Parameter:
            plugin.SetParameter(s.index, s.value);
            break;
        case Setting::Kind::Load:
            if (!plugin.LoadPreset(s.preset, s.path, error))
                return false;
            break;
        }
    }
    return true;
}

std::string DescribeParameters(const MidiPlugin& plugin)
{
    std::string text;
    for (const int i : plugin.ParameterIndices()) {
        if (!text.empty())
            text += ", ";
        text += plugin.ParameterName(i) + " = " + plugin.ParameterDisplay(i);
    }
    return text;
}

}  // namespace host
}  // namespace tessaro
