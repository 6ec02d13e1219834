#include "tools/tessaro-host/lv2host.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/parameters/parameters.h>
#include <lv2/resize-port/resize-port.h>
#include <lv2/urid/urid.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

#include "plugin/identity.h"
#include "plugin/programbank.h"

namespace tessaro {
namespace host {

namespace {

// Room in each atom port's buffer unless the port asks for more: the
// plug-in can send several hundred MIDI events in one block, 24 bytes each.
constexpr uint32_t kAtomBufferBytes = 32768;
constexpr float kNoRequest = std::numeric_limits<float>::quiet_NaN();

// The features tessaro-host offers a plug-in, and those it may list as
// required that ask nothing of a host like this one (it runs blocks on one
// thread and never shares buffers between ports).
const char* const kOfferedFeatures[] = {LV2_URID__map,
                                        LV2_URID__unmap,
                                        LV2_OPTIONS__options,
                                        LV2_BUF_SIZE__boundedBlockLength,
                                        LV2_LOG__log,
                                        LV2_CORE__hardRTCapable,
                                        LV2_CORE__inPlaceBroken,
                                        LV2_CORE__isLive};

std::string WithoutClosingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// A node's text, or empty; frees the node.
std::string TakeString(LilvNode* node)
{
    std::string text = node && lilv_node_as_string(node) ? lilv_node_as_string(node) : "";
    lilv_node_free(node);
    return text;
}

std::vector<std::string> UriList(LilvNodes* nodes)
{
    std::vector<std::string> uris;
    LILV_FOREACH (nodes, i, nodes)
        uris.push_back(lilv_node_as_string(lilv_nodes_get(nodes, i)));
    lilv_nodes_free(nodes);
    return uris;
}

// The bytes of a channel message: program change and channel pressure
// have one data byte.
uint32_t MessageLength(uint8_t status)
{
    const uint8_t kind = status & 0xF0;
    return kind == LV2_MIDI_MSG_PGM_CHANGE || kind == LV2_MIDI_MSG_CHANNEL_PRESSURE ? 2 : 3;
}

int LogPrint(LV2_Log_Handle, LV2_URID, const char* format, va_list args)
{
    std::fputs("tessaro-host: the plug-in says: ", stderr);
    const int written = std::vfprintf(stderr, format, args);
    std::fflush(stderr);
    return written;
}

int LogPrintf(LV2_Log_Handle handle, LV2_URID type, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int written = LogPrint(handle, type, format, args);
    va_end(args);
    return written;
}

}  // namespace

bool Lv2Host::IsBundlePath(const std::string& path)
{
    const std::string p = WithoutClosingSlashes(path);
    return p.size() > 4 && p.compare(p.size() - 4, 4, ".lv2") == 0;
}

Lv2Host::Lv2Host()
{
    u_.sequence = urids_.Map(LV2_ATOM__Sequence);
    u_.chunk = urids_.Map(LV2_ATOM__Chunk);
    u_.atomInt = urids_.Map(LV2_ATOM__Int);
    u_.atomFloat = urids_.Map(LV2_ATOM__Float);
    u_.midiEvent = urids_.Map(LV2_MIDI__MidiEvent);
    u_.maxBlock = urids_.Map(LV2_BUF_SIZE__maxBlockLength);
    u_.minBlock = urids_.Map(LV2_BUF_SIZE__minBlockLength);
    u_.nominalBlock = urids_.Map(LV2_BUF_SIZE__nominalBlockLength);
    u_.sequenceSize = urids_.Map(LV2_BUF_SIZE__sequenceSize);
    u_.sampleRate = urids_.Map(LV2_PARAMETERS__sampleRate);
    for (int& p : parameterPorts_)
        p = -1;
}

Lv2Host::~Lv2Host()
{
    Unload();
}

bool Lv2Host::Load(const std::string& bundlePath, float sampleRate, int maxBlockSize, std::string& error)
{
    Unload();
    const std::string path = WithoutClosingSlashes(bundlePath);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        error = path + ": no such folder";
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = path + ": not an LV2 bundle (a bundle is a folder)";
        return false;
    }
    if (stat((path + "/manifest.ttl").c_str(), &st) != 0) {
        error = path + ": not an LV2 bundle (it has no manifest.ttl)";
        return false;
    }
    char* absolute = realpath(path.c_str(), nullptr);
    bundlePath_ = absolute ? absolute : path;
    std::free(absolute);

    world_ = lilv_world_new();
    LilvNode* bundle = lilv_new_file_uri(world_, nullptr, (bundlePath_ + "/").c_str());
    lilv_world_load_bundle(world_, bundle);
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world_);
    LILV_FOREACH (plugins, i, plugins) {
        const LilvPlugin* p = lilv_plugins_get(plugins, i);
        if (lilv_node_equals(lilv_plugin_get_bundle_uri(p), bundle)) {
            plugin_ = p;
            break;
        }
    }
    lilv_node_free(bundle);
    if (!plugin_) {
        Unload();
        error = path + ": the bundle describes no plug-in";
        return false;
    }
    uri_ = lilv_node_as_uri(lilv_plugin_get_uri(plugin_));
    if (!lilv_plugin_verify(plugin_)) {
        Unload();
        error = path + ": the description of " + uri_ + " is incomplete (no name, binary or valid ports)";
        return false;
    }
    if (!ReadPorts(error) || !CheckFeatures(error)) {
        Unload();
        error = path + ": " + error;
        return false;
    }

    sampleRate_ = rate_ = sampleRate;
    maxBlockSize_ = blockSize_ = maxBlockSize < 1 ? 1 : maxBlockSize;
    minBlock_ = 0;
    maxBlock_ = nominalBlock_ = maxBlockSize_;
    sequenceSize_ = 0;
    for (const Port& p : ports_)
        if (p.type == Port::Type::Atom && int32_t(p.bufferSize) > sequenceSize_)
            sequenceSize_ = int32_t(p.bufferSize);
    options_[0] = {LV2_OPTIONS_INSTANCE, 0, u_.minBlock, sizeof(int32_t), u_.atomInt, &minBlock_};
    options_[1] = {LV2_OPTIONS_INSTANCE, 0, u_.maxBlock, sizeof(int32_t), u_.atomInt, &maxBlock_};
    options_[2] = {LV2_OPTIONS_INSTANCE, 0, u_.nominalBlock, sizeof(int32_t), u_.atomInt, &nominalBlock_};
    options_[3] = {LV2_OPTIONS_INSTANCE, 0, u_.sequenceSize, sizeof(int32_t), u_.atomInt, &sequenceSize_};
    options_[4] = {LV2_OPTIONS_INSTANCE, 0, u_.sampleRate, sizeof(float), u_.atomFloat, &rate_};
    options_[5] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    log_.handle = this;
    log_.printf = LogPrintf;
    log_.vprintf = LogPrint;
    mapFeature_ = {LV2_URID__map, urids_.MapFeature()};
    unmapFeature_ = {LV2_URID__unmap, urids_.UnmapFeature()};
    optionsFeature_ = {LV2_OPTIONS__options, options_};
    boundedFeature_ = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
    logFeature_ = {LV2_LOG__log, &log_};
    const LV2_Feature* list[] = {&mapFeature_, &unmapFeature_, &optionsFeature_, &boundedFeature_, &logFeature_,
                                 nullptr};
    std::copy(std::begin(list), std::end(list), featureList_);

    instance_ = lilv_plugin_instantiate(plugin_, sampleRate, featureList_);
    if (!instance_) {
        Unload();
        error = path + ": the plug-in " + uri_ + " could not be instantiated (its binary did not load or refused)";
        return false;
    }
    state_ = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
    ConnectPorts();
    lilv_instance_activate(instance_);
    Settle();
    return true;
}

void Lv2Host::Unload()
{
    if (instance_) {
        Stop();
        lilv_instance_deactivate(instance_);
        lilv_instance_free(instance_);
        instance_ = nullptr;
    }
    state_ = nullptr;
    plugin_ = nullptr;
    if (world_) {
        lilv_world_free(world_);
        world_ = nullptr;
    }
    ports_.clear();
    held_.clear();
    midiIn_ = midiOut_ = programPort_ = -1;
    for (int& p : parameterPorts_)
        p = -1;
    parameterCount_ = 0;
}

bool Lv2Host::ReadPorts(std::string& error)
{
    LilvWorld* w = world_;
    LilvNode* inputClass = lilv_new_uri(w, LV2_CORE__InputPort);
    LilvNode* outputClass = lilv_new_uri(w, LV2_CORE__OutputPort);
    LilvNode* controlClass = lilv_new_uri(w, LV2_CORE__ControlPort);
    LilvNode* audioClass = lilv_new_uri(w, LV2_CORE__AudioPort);
    LilvNode* cvClass = lilv_new_uri(w, LV2_CORE__CVPort);
    LilvNode* atomClass = lilv_new_uri(w, LV2_ATOM__AtomPort);
    LilvNode* integer = lilv_new_uri(w, LV2_CORE__integer);
    LilvNode* toggled = lilv_new_uri(w, LV2_CORE__toggled);
    LilvNode* midiEvent = lilv_new_uri(w, LV2_MIDI__MidiEvent);
    LilvNode* minimumSize = lilv_new_uri(w, LV2_RESIZE_PORT__minimumSize);

    const uint32_t count = lilv_plugin_get_num_ports(plugin_);
    std::vector<float> minimum(count), maximum(count), defaults(count);
    lilv_plugin_get_port_ranges_float(plugin_, minimum.data(), maximum.data(), defaults.data());
    bool ok = true;
    for (uint32_t i = 0; i < count; ++i) {
        const LilvPort* lp = lilv_plugin_get_port_by_index(plugin_, i);
        Port p;
        p.index = i;
        p.symbol = lilv_node_as_string(lilv_port_get_symbol(plugin_, lp));
        p.name = TakeString(lilv_port_get_name(plugin_, lp));
        p.input = lilv_port_is_a(plugin_, lp, inputClass);
        if (lilv_port_is_a(plugin_, lp, controlClass)) {
            p.type = Port::Type::Control;
        } else if (lilv_port_is_a(plugin_, lp, atomClass)) {
            p.type = Port::Type::Atom;
        } else if (lilv_port_is_a(plugin_, lp, audioClass)) {
            p.type = Port::Type::Audio;
        } else if (lilv_port_is_a(plugin_, lp, cvClass)) {
            p.type = Port::Type::CV;
        } else {
            error = "port " + p.symbol + " is of a kind tessaro-host cannot connect";
            ok = false;
            break;
        }
        if (!p.input && !lilv_port_is_a(plugin_, lp, outputClass)) {
            error = "port " + p.symbol + " is neither an input nor an output";
            ok = false;
            break;
        }
        p.integer = lilv_port_has_property(plugin_, lp, integer);
        p.toggled = lilv_port_has_property(plugin_, lp, toggled);
        p.minimum = std::isnan(minimum[i]) ? 0.0f : minimum[i];
        p.maximum = std::isnan(maximum[i]) ? 1.0f : maximum[i];
        p.defaultValue = std::isnan(defaults[i]) ? p.minimum : defaults[i];
        if (p.type == Port::Type::Control) {
            if (LilvScalePoints* points = lilv_port_get_scale_points(plugin_, lp)) {
                LILV_FOREACH (scale_points, k, points) {
                    const LilvScalePoint* point = lilv_scale_points_get(points, k);
                    p.labels.emplace_back(lilv_node_as_float(lilv_scale_point_get_value(point)),
                                          lilv_node_as_string(lilv_scale_point_get_label(point)));
                }
                lilv_scale_points_free(points);
            }
        }
        if (p.type == Port::Type::Atom) {
            p.midi = lilv_port_supports_event(plugin_, lp, midiEvent);
            p.bufferSize = kAtomBufferBytes;
            if (LilvNodes* sizes = lilv_port_get_value(plugin_, lp, minimumSize)) {
                LILV_FOREACH (nodes, s, sizes) {
                    const LilvNode* n = lilv_nodes_get(sizes, s);
                    if (lilv_node_is_int(n) && uint32_t(lilv_node_as_int(n)) > p.bufferSize)
                        p.bufferSize = uint32_t(lilv_node_as_int(n));
                }
                lilv_nodes_free(sizes);
            }
            if (p.midi && p.input && midiIn_ < 0)
                midiIn_ = int(i);
            if (p.midi && !p.input && midiOut_ < 0)
                midiOut_ = int(i);
        }
        if (p.type == Port::Type::Control && p.input) {
            for (int k = 0; k < kMappedParameters; ++k)
                if (p.symbol == kParameterSymbols[k])
                    parameterPorts_[k] = int(i);
            if (p.symbol == kProgramSymbol)
                programPort_ = int(i);
        }
        ports_.push_back(p);
    }
    for (LilvNode* n : {inputClass, outputClass, controlClass, audioClass, cvClass, atomClass, integer, toggled,
                        midiEvent, minimumSize})
        lilv_node_free(n);
    if (!ok)
        return false;
    while (parameterCount_ < kMappedParameters && parameterPorts_[parameterCount_] >= 0)
        ++parameterCount_;
    return true;
}

bool Lv2Host::CheckFeatures(std::string& error) const
{
    for (const std::string& feature : RequiredFeatures()) {
        bool offered = false;
        for (const char* f : kOfferedFeatures)
            offered = offered || feature == f;
        if (!offered) {
            error = "the plug-in needs the feature " + feature + ", which tessaro-host does not offer";
            return false;
        }
    }
    return true;
}

void Lv2Host::ConnectPorts()
{
    const size_t count = ports_.size();
    controls_.assign(count, 0.0f);
    requested_.reset(new std::atomic<float>[count]);
    reported_.reset(new std::atomic<float>[count]);
    buffers_.assign(count, {});
    for (const Port& p : ports_) {
        requested_[p.index] = kNoRequest;
        reported_[p.index] = 0.0f;
        void* data = nullptr;
        switch (p.type) {
        case Port::Type::Control:
            controls_[p.index] = p.defaultValue;
            reported_[p.index] = p.defaultValue;
            data = &controls_[p.index];
            break;
        case Port::Type::Atom: {
            buffers_[p.index].assign((p.bufferSize + 7) / 8, 0);
            LV2_Atom_Sequence* seq = reinterpret_cast<LV2_Atom_Sequence*>(buffers_[p.index].data());
            seq->atom.type = u_.sequence;
            lv2_atom_sequence_clear(seq);
            data = seq;
            break;
        }
        case Port::Type::Audio:
        case Port::Type::CV:
            buffers_[p.index].assign((size_t(maxBlockSize_) + 1) / 2, 0);  // floats, zeroed
            data = buffers_[p.index].data();
            break;
        }
        lilv_instance_connect_port(instance_, p.index, data);
    }
}

void Lv2Host::RunBlock(const BlockEvent* events, int count, int frames)
{
    for (const Port& p : ports_) {
        if (p.type == Port::Type::Control && p.input) {
            const float value = requested_[p.index].exchange(kNoRequest);
            if (!std::isnan(value))
                controls_[p.index] = value;
        }
        if (p.type != Port::Type::Atom)
            continue;
        LV2_Atom_Sequence* seq = reinterpret_cast<LV2_Atom_Sequence*>(buffers_[p.index].data());
        if (p.input) {
            seq->atom.type = u_.sequence;
            seq->body.unit = 0;
            seq->body.pad = 0;
            lv2_atom_sequence_clear(seq);
        } else {
            // An output is handed over as an empty chunk of its whole capacity.
            seq->atom.type = u_.chunk;
            seq->atom.size = p.bufferSize - uint32_t(sizeof(LV2_Atom));
        }
    }
    if (midiIn_ >= 0) {
        LV2_Atom_Sequence* seq = reinterpret_cast<LV2_Atom_Sequence*>(buffers_[size_t(midiIn_)].data());
        for (int i = 0; i < count; ++i) {
            struct {
                LV2_Atom_Event head;
                uint8_t bytes[8];
            } e;
            e.head.time.frames = events[i].frame;
            e.head.body.size = MessageLength(events[i].bytes[0]);
            e.head.body.type = u_.midiEvent;
            std::memcpy(e.bytes, events[i].bytes, 3);
            lv2_atom_sequence_append_event(seq, ports_[size_t(midiIn_)].bufferSize - uint32_t(sizeof(LV2_Atom)),
                                           &e.head);
        }
    }

    lilv_instance_run(instance_, uint32_t(frames));

    if (midiOut_ >= 0) {
        const LV2_Atom_Sequence* seq = reinterpret_cast<const LV2_Atom_Sequence*>(buffers_[size_t(midiOut_)].data());
        if (seq->atom.type == u_.sequence) {
            LV2_ATOM_SEQUENCE_FOREACH (seq, ev) {
                const bool midi = ev->body.type == u_.midiEvent;
                const uint8_t* bytes = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&ev->body));
                if (!running_) {
                    HeldEvent held{{0, 0, 0}, midi};
                    std::memcpy(held.bytes, bytes, std::min<uint32_t>(ev->body.size, 3));
                    held_.push_back(held);
                } else {
                    Collect(blockStart_, int32_t(ev->time.frames), midi ? bytes : nullptr, ev->body.size);
                }
            }
        }
    }
    for (const Port& p : ports_)
        if (p.type == Port::Type::Control)
            reported_[p.index].store(controls_[p.index]);
}

void Lv2Host::Settle()
{
    RunBlock(nullptr, 0, 0);
}

void Lv2Host::Start(float, int blockSize)
{
    if (!instance_)
        return;
    blockSize_ = blockSize < 1 ? 1 : blockSize > maxBlockSize_ ? maxBlockSize_ : blockSize;
    running_ = true;
}

void Lv2Host::Stop()
{
    running_ = false;
}

bool Lv2Host::ProcessBlock(const BlockEvent* events, int count, int frames)
{
    if (!instance_ || !running_ || count < 0 || count > kMaxBlockEvents || frames < 0 || frames > blockSize_)
        return false;
    blockStart_ = position_;
    for (const HeldEvent& e : held_)
        Collect(blockStart_, 0, e.midi ? e.bytes : nullptr, 3);
    held_.clear();
    RunBlock(events, count, frames);
    position_ += frames;
    return true;
}

// --- Settings ---------------------------------------------------------------------

float Lv2Host::NativeValue(const Port& port, float normalised)
{
    if (port.toggled)
        return normalised > 0.5f ? port.maximum : port.minimum;
    const double span = double(port.maximum) - double(port.minimum);
    if (port.integer)  // as the engine rounds: nearest, halves up, the same on every FPU
        return float(std::floor(double(normalised) * span + 8.326e-17 + 0.5) + port.minimum);
    return float(port.minimum + double(normalised) * span);
}

float Lv2Host::NormalisedValue(const Port& port, float native)
{
    if (port.maximum <= port.minimum)
        return 0.0f;
    return float((double(native) - port.minimum) / (double(port.maximum) - port.minimum));
}

int Lv2Host::ParameterPort(int index) const
{
    return index >= 0 && index < kMappedParameters ? parameterPorts_[index] : -1;
}

int Lv2Host::ParameterOf(uint32_t port) const
{
    for (int k = 0; k < kMappedParameters; ++k)
        if (parameterPorts_[k] == int(port))
            return k;
    return -1;
}

int Lv2Host::ReportPort(uint32_t input) const
{
    const std::string symbol = ports_[input].symbol + kReportSuffix;
    for (const Port& p : ports_)
        if (p.type == Port::Type::Control && !p.input && p.symbol == symbol)
            return int(p.index);
    return -1;
}

float Lv2Host::ControlValue(uint32_t port) const
{
    return port < controls_.size() ? controls_[port] : 0.0f;
}

void Lv2Host::SetControl(uint32_t port, float value)
{
    if (controls_[port] == value) {
        // The input already holds it: only a change reaches the plug-in, so
        // go by way of the plug-in's own value where that differs.
        const int report = ReportPort(port);
        if (report < 0 || controls_[size_t(report)] == value)
            return;
        controls_[port] = controls_[size_t(report)];
        Settle();
    }
    controls_[port] = value;
    Settle();
}

int Lv2Host::ParameterCount() const
{
    return parameterCount_;
}

int Lv2Host::ProgramCount() const
{
    return programPort_ < 0 ? 0 : int(ports_[size_t(programPort_)].maximum) + 1;
}

void Lv2Host::SetParameter(int index, float value)
{
    const int port = ParameterPort(index);
    if (port >= 0)
        SetControl(uint32_t(port), NativeValue(ports_[size_t(port)], value));
}

void Lv2Host::SetProgram(int program)
{
    if (programPort_ >= 0)
        SetControl(uint32_t(programPort_), float(program));
}

std::string Lv2Host::ParameterName(int index) const
{
    const int port = ParameterPort(index);
    return port >= 0 ? ports_[size_t(port)].name : std::string();
}

std::string Lv2Host::ParameterDisplay(int index) const
{
    const int port = ParameterPort(index);
    if (port < 0)
        return std::string();
    const int report = ReportPort(uint32_t(port));
    const Port& p = ports_[size_t(port)];
    const float value = controls_[size_t(report >= 0 ? report : port)];
    if (p.toggled)
        return value > p.minimum ? "On" : "Off";
    for (const auto& label : p.labels)
        if (label.first == value)
            return label.second;
    char text[32];
    if (p.integer)
        std::snprintf(text, sizeof text, "%ld", std::lround(value));
    else
        std::snprintf(text, sizeof text, "%g", double(value));
    return text;
}

bool Lv2Host::CanLoad(const PresetFile& preset, const std::string& path, std::string& error) const
{
    // The plug-in's state is the VST 2 plug-in's chunk: only it takes
    // these files.
    if (uri_ != kTessaroUri || !state_) {
        error = path + ": " + uri_ + " takes no VST 2 preset files";
        return false;
    }
    if (preset.fxID != kUniqueID) {
        error = path + ": a preset of the plug-in " + FourCCText(preset.fxID) + ", not of " + FourCCText(kUniqueID);
        return false;
    }
    return true;
}

bool Lv2Host::LoadPreset(const PresetFile& preset, const std::string& path, std::string& error)
{
    constexpr size_t kRecord = VSTPluginProgramBank::kProgramSize;
    constexpr size_t kBank = VSTPluginProgramBank::kBankSize;
    const bool program = preset.kind == PresetFile::Kind::Program;
    const std::string refused = path + ": the plug-in refused the " + (program ? "program" : "bank") + " (" +
                                std::to_string(preset.chunk.size()) + "-byte chunk)";
    std::vector<StateItem> items;
    StateItem* bank = nullptr;
    StateItem* current = nullptr;
    if (SaveState(items))
        for (StateItem& item : items) {
            if (item.type == u_.chunk && item.value.size() == kBank)
                bank = &item;
            if (item.type == u_.atomInt && item.value.size() == sizeof(int32_t))
                current = &item;
        }
    if (!bank || !current) {
        error = path + ": the plug-in keeps no bank of programs in its state";
        return false;
    }
    int32_t currentProgram;
    std::memcpy(&currentProgram, current->value.data(), sizeof currentProgram);
    if (program) {
        if (preset.chunk.size() < kRecord || currentProgram < 0 || size_t(currentProgram) >= kBank / kRecord) {
            error = refused;
            return false;
        }
        if (preset.chunk.size() > kRecord)
            std::fprintf(stderr, "tessaro-host: %s: written by a newer version; its first %zu bytes were loaded\n",
                         path.c_str(), kRecord);
        std::copy(preset.chunk.begin(), preset.chunk.begin() + ptrdiff_t(kRecord),
                  bank->value.begin() + ptrdiff_t(size_t(currentProgram) * kRecord));
    } else {
        // The plug-in takes only whole banks; refusing others here spares
        // the user its own report of the refusal.
        if (preset.chunk.size() != kBank) {
            error = refused.substr(0, refused.size() - 1) + ", " + std::to_string(kBank) + " expected)";
            return false;
        }
        bank->value = preset.chunk;
        if (preset.currentProgram >= 0 && preset.currentProgram < ProgramCount())
            std::memcpy(current->value.data(), &preset.currentProgram, sizeof(int32_t));
    }
    if (RestoreState(items) != LV2_STATE_SUCCESS) {
        error = refused;
        return false;
    }
    Settle();  // the plug-in adopts the inputs as they are
    return true;
}

bool Lv2Host::SaveBank(PresetFile& bank, std::string& error)
{
    std::vector<StateItem> items;
    const StateItem* chunk = nullptr;
    const StateItem* current = nullptr;
    if (uri_ == kTessaroUri && SaveState(items))
        for (const StateItem& item : items) {
            if (item.type == u_.chunk && item.value.size() == VSTPluginProgramBank::kBankSize)
                chunk = &item;
            if (item.type == u_.atomInt && item.value.size() == sizeof(int32_t))
                current = &item;
        }
    if (!chunk || !current) {
        error = uri_ + " keeps no bank of programs in its state";
        return false;
    }
    bank = PresetFile();
    bank.kind = PresetFile::Kind::Bank;
    bank.version = 2;
    bank.fxID = kUniqueID;
    bank.fxVersion = kVersion;
    bank.numPrograms = ProgramCount();
    std::memcpy(&bank.currentProgram, current->value.data(), sizeof(int32_t));
    bank.chunk = chunk->value;
    return true;
}

bool Lv2Host::SaveState(std::vector<StateItem>& items) const
{
    if (!state_ || !state_->save)
        return false;
    auto store = [](LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                    uint32_t flags) {
        const uint8_t* bytes = static_cast<const uint8_t*>(value);
        static_cast<std::vector<StateItem>*>(handle)->push_back({key, type, flags, {bytes, bytes + size}});
        return LV2_STATE_SUCCESS;
    };
    return state_->save(lilv_instance_get_handle(instance_), store, &items,
                        LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, featureList_) == LV2_STATE_SUCCESS;
}

LV2_State_Status Lv2Host::RestoreState(const std::vector<StateItem>& items)
{
    if (!state_ || !state_->restore)
        return LV2_STATE_ERR_NO_FEATURE;
    auto retrieve = [](LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                       uint32_t* flags) -> const void* {
        for (const StateItem& item : *static_cast<const std::vector<StateItem>*>(handle))
            if (item.key == key) {
                *size = item.value.size();
                *type = item.type;
                *flags = item.flags;
                return item.value.data();
            }
        return nullptr;
    };
    return state_->restore(lilv_instance_get_handle(instance_), retrieve,
                           const_cast<std::vector<StateItem>*>(&items), LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                           featureList_);
}

// --- Description ------------------------------------------------------------------

std::string Lv2Host::Name() const
{
    return plugin_ ? TakeString(lilv_plugin_get_name(plugin_)) : std::string();
}

std::string Lv2Host::Author() const
{
    return plugin_ ? TakeString(lilv_plugin_get_author_name(plugin_)) : std::string();
}

std::string Lv2Host::ClassUri() const
{
    if (!plugin_)
        return std::string();
    // The class of LV2's own that the description names besides lv2:Plugin.
    LilvNode* type = lilv_new_uri(world_, LILV_NS_RDF "type");
    LilvNodes* classes = lilv_plugin_get_value(plugin_, type);
    lilv_node_free(type);
    const std::string prefix = LV2_CORE_PREFIX;
    std::string found = LV2_CORE__Plugin;
    for (const std::string& c : UriList(classes))
        if (c != LV2_CORE__Plugin && c.compare(0, prefix.size(), prefix) == 0)
            found = c;
    return found;
}

std::string Lv2Host::BinaryPath() const
{
    if (!plugin_)
        return std::string();
    const LilvNode* library = lilv_plugin_get_library_uri(plugin_);
    char* path = library ? lilv_file_uri_parse(lilv_node_as_uri(library), nullptr) : nullptr;
    const std::string text = path ? path : "";
    lilv_free(path);
    return text;
}

std::vector<std::string> Lv2Host::RequiredFeatures() const
{
    return plugin_ ? UriList(lilv_plugin_get_required_features(plugin_)) : std::vector<std::string>();
}

std::vector<std::string> Lv2Host::OptionalFeatures() const
{
    return plugin_ ? UriList(lilv_plugin_get_optional_features(plugin_)) : std::vector<std::string>();
}

std::vector<std::string> Lv2Host::ExtensionData() const
{
    return plugin_ ? UriList(lilv_plugin_get_extension_data(plugin_)) : std::vector<std::string>();
}

LV2_Handle Lv2Host::Handle() const
{
    return instance_ ? lilv_instance_get_handle(instance_) : nullptr;
}

void Lv2Host::RequestControl(uint32_t port, float value)
{
    if (port < ports_.size())
        requested_[port].store(value);
}

float Lv2Host::ReportedValue(uint32_t port) const
{
    return port < ports_.size() ? reported_[port].load() : 0.0f;
}

void Lv2Host::EditorWrite(uint32_t port, float value)
{
    if (port >= ports_.size() || ports_[port].type != Port::Type::Control || !ports_[port].input)
        return;
    RequestControl(port, value);
    const int parameter = ParameterOf(port);
    if (parameter >= 0)
        Report({Automation::Change, parameter, NormalisedValue(ports_[port], value)});
    else
        Report({Automation::Change, -1, value, ports_[port].symbol.c_str()});
}

void Lv2Host::EditorTouch(uint32_t port, bool grabbed)
{
    if (port >= ports_.size() || ports_[port].type != Port::Type::Control || !ports_[port].input)
        return;
    const Automation::Kind kind = grabbed ? Automation::BeginEdit : Automation::EndEdit;
    const int parameter = ParameterOf(port);
    if (parameter >= 0)
        Report({kind, parameter, 0.0f});
    else
        Report({kind, -1, 0.0f, ports_[port].symbol.c_str()});
}

}  // namespace host
}  // namespace tessaro
