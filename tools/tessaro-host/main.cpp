// tessaro-host: a command-line host for Linux VST 2 plug-ins and LV2
// bundles. It shows a plug-in's identity, runs MIDI files through it, moves
// its presets in and out of the standard preset files, and embeds its
// editor in an X window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "plugin/panellayout.h"
#include "tools/tessaro-host/analysis.h"
#include "tools/tessaro-host/editorhost.h"
#include "tools/tessaro-host/example.h"
#include "tools/tessaro-host/failure.h"
#include "tools/tessaro-host/filewrite.h"
#include "tools/tessaro-host/live.h"
#include "tools/tessaro-host/loadplugin.h"
#include "tools/tessaro-host/lv2host.h"
#include "tools/tessaro-host/midirun.h"
#include "tools/tessaro-host/pianoroll.h"
#include "tools/tessaro-host/pluginhost.h"
#include "tools/tessaro-host/png.h"
#include "tools/tessaro-host/presetfile.h"
#include "tools/tessaro-host/settings.h"
#include "tools/tessaro-host/smf.h"

using namespace tessaro::host;

namespace {

const char* const kUsage =
    "usage:\n"
    "  tessaro-host info PLUGIN.so|BUNDLE.lv2\n"
    "  tessaro-host process PLUGIN.so|BUNDLE.lv2 IN.mid OUT.mid [--set INDEX=VALUE]... [--program N]\n"
    "               [--load FILE.fxp|FILE.fxb] [--rate HZ] [--block FRAMES] [--roll FILE.png]\n"
    "  tessaro-host save PLUGIN.so FILE.fxp|FILE.fxb [--set INDEX=VALUE]... [--program N] [--load FILE]\n"
    "  tessaro-host edit PLUGIN.so|BUNDLE.lv2 [--play IN.mid] [--screenshot FILE.png --after MS]\n"
    "               [--no-display-pass] [--set INDEX=VALUE]... [--program N] [--load FILE]\n"
    "  tessaro-host live PLUGIN.so|BUNDLE.lv2 [--name CLIENT] [--connect-in PORT]... [--connect-out PORT]...\n"
    "               [--preset FILE.fxp|FILE.fxb] [--set INDEX=VALUE]... [--save FILE.fxb] [--editor]\n"
    "  tessaro-host example OUT.mid\n"
    "  tessaro-host layout   (the editor's size, then each control: NAME X Y WIDTH HEIGHT)\n"
    "Settings apply in the order given. VALUE runs from 0 to 1 and may be a fraction (4/127);\n"
    "for an LV2 bundle INDEX is the VST 2 parameter's and VALUE is converted to the port's units.\n";

constexpr int64_t kLongestPieceSeconds = 24 * 3600;

bool ParseLong(const char* text, long low, long high, long& out)
{
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return *text && *end == 0 && out >= low && out <= high;
}

// The options shared by process, save and edit, plus the command's own.
struct Options {
    std::vector<std::string> positional;
    std::vector<Setting> settings;
    long rate = 44100;
    long block = 512;
    std::string roll, play, screenshot;
    long after = -1;
    bool noDisplayPass = false;
};

// 0 when the options are good; 2 for a mistake on the command line, 1 for
// a preset file that cannot be read; `error` says which.
int ParseOptionList(int argc, char** argv, int first, const std::vector<std::string>& allowed, Options& o,
                    std::string& error)
{
    auto isAllowed = [&](const std::string& name) {
        for (const std::string& a : allowed)
            if (a == name)
                return true;
        return false;
    };
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            o.positional.push_back(arg);
            continue;
        }
        if (!isAllowed(arg)) {
            error = "unknown option " + arg;
            return 2;
        }
        if (arg == "--no-display-pass") {
            o.noDisplayPass = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return 2;
        }
        const std::string value = argv[++i];
        Setting s;
        if (arg == "--set") {
            if (!ParseParameterSetting(value, s, error))
                return 2;
            o.settings.push_back(std::move(s));
        } else if (arg == "--program") {
            if (!ParseProgramSetting(value, s, error))
                return 2;
            o.settings.push_back(std::move(s));
        } else if (arg == "--load") {
            if (!ParseLoadSetting(value, s, error))
                return 1;
            o.settings.push_back(std::move(s));
        } else if (arg == "--rate") {
            if (!ParseLong(value.c_str(), 8000, 384000, o.rate)) {
                error = "--rate " + value + ": expected a sample rate from 8000 to 384000";
                return 2;
            }
        } else if (arg == "--block") {
            if (!ParseLong(value.c_str(), 1, 8192, o.block)) {
                error = "--block " + value + ": expected a block size from 1 to 8192 frames";
                return 2;
            }
        } else if (arg == "--after") {
            if (!ParseLong(value.c_str(), 0, 3600000, o.after)) {
                error = "--after " + value + ": expected milliseconds";
                return 2;
            }
        } else if (arg == "--roll") {
            o.roll = value;
        } else if (arg == "--play") {
            o.play = value;
        } else if (arg == "--screenshot") {
            o.screenshot = value;
        }
    }
    return 0;
}

// Reads the options; returns 0, or the exit status after saying in one
// line what was wrong.
int ParseOptions(int argc, char** argv, int first, const std::vector<std::string>& allowed, Options& o)
{
    std::string error;
    const int status = ParseOptionList(argc, argv, first, allowed, o, error);
    if (status == 1)
        return Fail(error);
    return status == 2 ? Usage(error) : 0;
}

std::string FlagNames(VstInt32 flags)
{
    static const struct {
        VstInt32 bit;
        const char* name;
    } kFlags[] = {{effFlagsHasEditor, "editor"},          {effFlagsHasClip, "clip"},
                  {effFlagsHasVu, "vu"},                  {effFlagsCanMono, "can-mono"},
                  {effFlagsCanReplacing, "can-replace"},  {effFlagsProgramChunks, "program-chunks"},
                  {effFlagsIsSynth, "is-synth"},          {effFlagsNoSoundInStop, "no-sound-in-stop"}};
    std::string text;
    for (const auto& f : kFlags)
        if (flags & f.bit)
            text += (text.empty() ? "" : ", ") + std::string(f.name);
    char hex[32];
    std::snprintf(hex, sizeof hex, "%s(0x%X)", text.empty() ? "" : " ", static_cast<unsigned>(flags));
    return text + hex;
}

// After the parameter count: how many more parameters the plug-in answers
// to beyond it (Tessaro's allocation options).
std::string OptionsNote(const MidiPlugin& plugin)
{
    const size_t beyond = plugin.ParameterIndices().size() - size_t(plugin.ParameterCount());
    return beyond ? " + " + std::to_string(beyond) + " beyond the count" : std::string();
}

std::string PortText(const Lv2Host::Port& p, float value)
{
    static const char* const kTypes[] = {"control", "atom", "audio", "CV"};
    std::string text = std::string(kTypes[int(p.type)]) + (p.input ? " input" : " output");
    char range[96];
    if (p.type == Lv2Host::Port::Type::Control) {
        if (p.toggled)
            std::snprintf(range, sizeof range, ", toggle (%s)", value > p.minimum ? "on" : "off");
        else
            std::snprintf(range, sizeof range, ", %s%g to %g (%g)", p.integer ? "integer " : "",
                          double(p.minimum), double(p.maximum), double(value));
        text += range;
    } else if (p.type == Lv2Host::Port::Type::Atom) {
        text += p.midi ? ", MIDI events" : ", events";
    }
    return text;
}

int InfoLv2(const std::string& path)
{
    std::string error;
    Lv2Host host;
    if (!host.Load(path, 44100.0f, 512, error))
        return Fail(error);
    auto list = [](const std::vector<std::string>& uris) {
        std::string text;
        for (const std::string& u : uris)
            text += (text.empty() ? "" : ", ") + u;
        return text.empty() ? std::string("none") : text;
    };
    std::printf("bundle:         %s\n", host.BundlePath().c_str());
    std::printf("URI:            %s\n", host.Uri().c_str());
    std::printf("name:           %s\n", host.Name().c_str());
    std::printf("author:         %s\n", host.Author().c_str());
    std::printf("class:          %s\n", host.ClassUri().c_str());
    std::printf("binary:         %s\n", host.BinaryPath().c_str());
    std::printf("required:       %s\n", list(host.RequiredFeatures()).c_str());
    std::printf("optional:       %s\n", list(host.OptionalFeatures()).c_str());
    std::printf("extension data: %s\n", list(host.ExtensionData()).c_str());
    std::vector<std::string> editors;
    LilvUIs* uis = lilv_plugin_get_uis(host.Plugin());
    LILV_FOREACH (uis, i, uis) {
        const LilvUI* ui = lilv_uis_get(uis, i);
        const LilvNodes* classes = lilv_ui_get_classes(ui);
        std::string names;
        LILV_FOREACH (nodes, c, classes)
            names += (names.empty() ? "" : ", ") + std::string(lilv_node_as_uri(lilv_nodes_get(classes, c)));
        editors.push_back(std::string(lilv_node_as_uri(lilv_ui_get_uri(ui))) + " (" + names + ")");
    }
    lilv_uis_free(uis);
    std::printf("editor:         %s\n", list(editors).c_str());
    std::printf("ports:          %zu\n", host.Ports().size());
    for (const Lv2Host::Port& p : host.Ports())
        std::printf("  %2u  %-22s %-28s %s\n", p.index, p.symbol.c_str(), p.name.c_str(),
                    PortText(p, host.ControlValue(p.index)).c_str());
    std::printf("parameters:     %d%s\n", host.ParameterCount(), OptionsNote(host).c_str());
    for (const int i : host.ParameterIndices())
        std::printf("  %2d  %-24s %-10s (port %s)\n", i, host.ParameterName(i).c_str(),
                    host.ParameterDisplay(i).c_str(), host.Ports()[size_t(host.ParameterPort(i))].symbol.c_str());
    std::printf("programs:       %d\n", host.ProgramCount());
    return 0;
}

int Info(int argc, char** argv)
{
    Options o;
    if (const int status = ParseOptions(argc, argv, 2, {}, o))
        return status;
    if (o.positional.size() != 1)
        return Usage("info takes one plug-in");
    if (Lv2Host::IsBundlePath(o.positional[0]))
        return InfoLv2(o.positional[0]);
    std::string error;
    PluginHost host;
    if (!host.Load(o.positional[0], error))
        return Fail(error);
    AEffect* e = host.Effect();
    std::printf("plug-in:        %s\n", o.positional[0].c_str());
    std::printf("name:           %s\n", host.Text(effGetEffectName).c_str());
    std::printf("vendor:         %s\n", host.Text(effGetVendorString).c_str());
    std::printf("product:        %s\n", host.Text(effGetProductString).c_str());
    std::printf("vendor version: %ld\n", static_cast<long>(host.Dispatch(effGetVendorVersion)));
    std::printf("unique ID:      %s\n", FourCCText(e->uniqueID).c_str());
    std::printf("version:        %d\n", e->version);
    std::printf("VST version:    %ld\n", static_cast<long>(host.Dispatch(effGetVstVersion)));
    const VstIntPtr category = host.Dispatch(effGetPlugCategory);
    std::printf("category:       %s (%ld)\n",
                category == kPlugCategSynth ? "synth" : category == kPlugCategEffect ? "effect" : "unknown",
                static_cast<long>(category));
    std::printf("inputs:         %d\n", e->numInputs);
    std::printf("outputs:        %d\n", e->numOutputs);
    std::printf("initial delay:  %d\n", e->initialDelay);
    std::printf("flags:          %s\n", FlagNames(e->flags).c_str());
    if (e->flags & effFlagsHasEditor) {
        ERect* rect = nullptr;
        host.Dispatch(effEditGetRect, 0, 0, &rect);
        if (rect)
            std::printf("editor:         %d x %d\n", rect->right - rect->left, rect->bottom - rect->top);
        else
            std::printf("editor:         size not reported\n");
    }
    std::printf("can do:        ");
    for (const char* can : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
                            "midiProgramNames", "bypass"}) {
        const VstIntPtr answer = host.Dispatch(effCanDo, 0, 0, const_cast<char*>(can));
        std::printf(" %s=%s", can, answer > 0 ? "yes" : answer < 0 ? "no" : "?");
    }
    std::printf("\nparameters:     %d%s\n", e->numParams, OptionsNote(host).c_str());
    for (const int i : host.ParameterIndices()) {
        std::string display = host.Text(effGetParamDisplay, i);
        const std::string label = host.Text(effGetParamLabel, i);
        if (!label.empty())
            display += " " + label;
        std::printf("  %2d  %-24s %-10s (%.6g)\n", i, host.Text(effGetParamName, i).c_str(), display.c_str(),
                    static_cast<double>(e->getParameter(e, i)));
    }
    std::printf("programs:       %d (current %ld)\n", e->numPrograms, static_cast<long>(host.Dispatch(effGetProgram)));
    for (VstInt32 i = 0; i < e->numPrograms; ++i) {
        std::string name = host.Text(effGetProgramNameIndexed, i);
        std::printf("  %2d  %s\n", i, name.c_str());
    }
    return 0;
}

int Process(int argc, char** argv)
{
    Options o;
    if (const int status =
            ParseOptions(argc, argv, 2, {"--set", "--program", "--load", "--rate", "--block", "--roll"}, o))
        return status;
    if (o.positional.size() != 3)
        return Usage("process takes a plug-in, an input file and an output file");
    std::string error;
    const std::string& pluginPath = o.positional[0];
    const std::string& inPath = o.positional[1];
    const std::string& outPath = o.positional[2];

    SmfFile input;
    if (!ReadSmfFile(inPath, input, error))
        return Fail(error);
    const TempoMap tempo(input, static_cast<uint32_t>(o.rate));
    PlacedMessages placed = PlaceMessages(input, tempo);
    KeepOnlyMetaEvents(input);
    const int64_t end = EndOfMessages(placed.messages);
    // Ticks are 32 bits: a damaged or hostile file can place an event
    // years away, which would keep the host busy for as long.
    if (end > int64_t(o.rate) * kLongestPieceSeconds)
        return Fail(inPath + ": the piece lasts more than " + std::to_string(kLongestPieceSeconds / 3600) +
                    " hours; nothing was processed");

    std::unique_ptr<MidiPlugin> plugin = LoadPlugin(pluginPath, static_cast<float>(o.rate),
                                                    static_cast<int>(o.block), error);
    if (!plugin)
        return Fail(error);
    if (!ApplySettings(*plugin, o.settings, error))
        return Fail(error);
    const std::string settings = DescribeParameters(*plugin);
    plugin->Start(static_cast<float>(o.rate), static_cast<int>(o.block));
    plugin->KeepOutput(true);
    const std::vector<TimedMessage> output = RunThrough(*plugin, placed.messages, end);
    plugin.reset();

    if (!WriteWholeFile(outPath, EncodeOutputFile(input, output, tempo), error))
        return Fail(error);

    LimiterAnalysis analysis = Analyse(placed.messages, output, end);
    analysis.summary.sysexIn = placed.sysexCount;
    std::printf("settings: %s\n%s", settings.c_str(), FormatSummary(analysis.summary).c_str());
    if (!o.roll.empty()) {
        const RgbImage roll = DrawPianoRoll(analysis, end, static_cast<uint32_t>(o.rate), settings);
        if (!WritePngFile(o.roll, roll.Width(), roll.Height(), roll.Pixels(), error))
            return Fail(error);
    }
    return 0;
}

int Save(int argc, char** argv)
{
    Options o;
    if (const int status = ParseOptions(argc, argv, 2, {"--set", "--program", "--load"}, o))
        return status;
    if (o.positional.size() != 2)
        return Usage("save takes a plug-in and a preset file");
    if (Lv2Host::IsBundlePath(o.positional[0]))
        return Fail(o.positional[0] + ": save writes a VST 2 plug-in's chunk; give tessaro.so, not an LV2 bundle");
    bool known;
    const bool bank = PathWantsBank(o.positional[1], known);
    if (!known)
        return Usage(o.positional[1] + ": name the file .fxp (one program) or .fxb (the whole bank)");
    std::string error;

    PluginHost host;
    if (!host.Load(o.positional[0], error))
        return Fail(error);
    const AEffect* e = host.Effect();
    if (!(e->flags & effFlagsProgramChunks))
        return Fail(o.positional[0] + ": the plug-in does not keep its presets as chunks");
    if (!ApplySettings(host, o.settings, error))
        return Fail(error);

    PresetFile preset;
    preset.kind = bank ? PresetFile::Kind::Bank : PresetFile::Kind::Program;
    preset.fxID = e->uniqueID;
    preset.fxVersion = e->version;
    preset.numPrograms = e->numPrograms;
    if (!bank)
        preset.programName = host.Text(effGetProgramName);
    void* data = nullptr;
    const VstIntPtr size = host.Dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
    if (size <= 0 || !data)
        return Fail(o.positional[0] + ": the plug-in gave no " + (bank ? "bank" : "program") + " chunk");
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    preset.chunk.assign(bytes, bytes + size);
    if (!WritePresetFile(o.positional[1], preset, error))
        return Fail(error);
    const std::string what = bank ? "bank" : "program \"" + preset.programName + "\"";
    std::printf("saved %s (%ld-byte chunk)\n", what.c_str(), static_cast<long>(size));
    return 0;
}

int Edit(int argc, char** argv)
{
    Options o;
    if (const int status = ParseOptions(argc, argv, 2,
                                        {"--set", "--program", "--load", "--play", "--screenshot", "--after",
                                         "--no-display-pass", "--rate", "--block"},
                                        o))
        return status;
    if (o.positional.size() != 1)
        return Usage("edit takes one plug-in");
    if (o.after >= 0 && o.screenshot.empty())
        return Usage("--after goes with --screenshot");
    if (o.noDisplayPass && Lv2Host::IsBundlePath(o.positional[0]))
        return Usage("--no-display-pass is for VST 2 editors; an LV2 UI never gets the host's display");
    EditOptions edit;
    edit.pluginPath = o.positional[0];
    edit.playPath = o.play;
    edit.screenshotPath = o.screenshot;
    edit.screenshotAfterMs = o.after >= 0 ? o.after : 1000;
    edit.passDisplay = !o.noDisplayPass;
    edit.sampleRate = static_cast<float>(o.rate);
    edit.blockSize = static_cast<int>(o.block);
    edit.settings = std::move(o.settings);
    return RunEditor(edit);
}

int Example(int argc, char** argv)
{
    if (argc != 3)
        return Usage("example takes the output file");
    std::string error;
    if (!WriteSmfFile(argv[2], MakeExamplePiece(), error))
        return Fail(error);
    return 0;
}

// The editor panel's layout, for scripts that click on its controls.
int Layout(int argc, char**)
{
    if (argc != 2)
        return Usage("layout takes no arguments");
    std::printf("editor %d %d\n", tessaro::kEditorWidth, tessaro::kEditorHeight);
    for (const SPanelPlace& place : panel_layout::kAll)
        std::printf("%s %d %d %d %d\n", place.key, place.x, place.y, place.width, place.height);
    return 0;
}

int Run(int argc, char** argv)
{
    if (argc < 2)
        return Usage("no command given");
    const std::string command = argv[1];
    if (command == "info")
        return Info(argc, argv);
    if (command == "process")
        return Process(argc, argv);
    if (command == "save")
        return Save(argc, argv);
    if (command == "edit")
        return Edit(argc, argv);
    if (command == "example")
        return Example(argc, argv);
    if (command == "live") {
#if TESSARO_HOST_LIVE
        return RunLive(argc, argv);
#else
        return Fail("live needs JACK, which this build of tessaro-host lacks; use the x86_64 build");
#endif
    }
    if (command == "layout")
        return Layout(argc, argv);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    return Usage("unknown command " + command);
}
}  // namespace

int main(int argc, char** argv)
{
    // The file sizes are bounded, but a 32-bit host can still run out of
    // address space on the largest; say so instead of aborting.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail("not enough memory for this run; try a shorter MIDI file");
    } catch (const std::exception& e) {
        return Fail(std::string("stopped: ") + e.what());
    }
}
