#include "tools/tessaro-host/pluginhost.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace tessaro {
namespace host {

namespace {

typedef AEffect* (*EntryProc)(audioMasterCallback);

// The instance whose entry function is running: the plug-in may call back
// before it has handed out its AEffect record, so the callback cannot find
// its host through the record yet.
PluginHost* g_loading = nullptr;

bool FileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

PluginHost::PluginHost() = default;

PluginHost::~PluginHost()
{
    Unload();
}

bool PluginHost::Load(const std::string& path, std::string& error)
{
    Unload();
    if (!FileExists(path)) {
        error = path + ": no such file";
        return false;
    }
    // A path without a slash would make dlopen search the library path.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    void* library = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        error = path + ": not a loadable shared object (" + (why ? why : "unknown reason") + ")";
        return false;
    }
    EntryProc entry = reinterpret_cast<EntryProc>(dlsym(library, "VSTPluginMain"));
    if (!entry)
        entry = reinterpret_cast<EntryProc>(dlsym(library, "main"));
    if (!entry) {
        dlclose(library);
        error = path + ": not a VST 2 plug-in (it has neither VSTPluginMain nor main)";
        return false;
    }

    g_loading = this;
    AEffect* effect = entry(&PluginHost::Callback);
    g_loading = nullptr;
    if (!effect) {
        dlclose(library);
        error = path + ": the plug-in refused to load (its entry function returned no effect)";
        return false;
    }
    if (effect->magic != kEffectMagic || !effect->dispatcher) {
        dlclose(library);
        error = path + ": not a VST 2 plug-in (the record its entry returned has no VstP magic)";
        return false;
    }

    library_ = library;
    effect_ = effect;
    effect_->resvd1 = reinterpret_cast<VstIntPtr>(this);
    directory_ = DirectoryOf(path);
    Dispatch(effOpen);
    return true;
}

void PluginHost::Unload()
{
    if (effect_) {
        Stop();
        Dispatch(effClose);
        effect_ = nullptr;
    }
    if (library_) {
        dlclose(library_);
        library_ = nullptr;
    }
}

VstIntPtr PluginHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const
{
    if (!effect_)
        return 0;
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginHost::Text(VstInt32 opcode, VstInt32 index, VstIntPtr value) const
{
    char buffer[512] = {};
    Dispatch(opcode, index, value, buffer);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

int PluginHost::ParameterCount() const
{
    return effect_ ? effect_->numParams : 0;
}

bool PluginHost::HasParameter(int index) const
{
    if (index >= 0 && index < ParameterCount())
        return true;
    for (const int option : kOptionParameters) {
        if (option == index) {
            const std::string name = ParameterName(index);
            return effect_ && !name.empty() && name != "empty";
        }
    }
    return false;
}

int PluginHost::ProgramCount() const
{
    return effect_ ? effect_->numPrograms : 0;
}

bool PluginHost::CanLoad(const PresetFile& preset, const std::string& path, std::string& error) const
{
    if (preset.fxID != effect_->uniqueID) {
        error = path + ": a preset of the plug-in " + FourCCText(preset.fxID) + ", not of " +
                FourCCText(effect_->uniqueID);
        return false;
    }
    if (!(effect_->flags & effFlagsProgramChunks)) {
        error = path + ": the plug-in does not take its presets as chunks";
        return false;
    }
    return true;
}

void PluginHost::SetParameter(int index, float value)
{
    effect_->setParameter(effect_, index, value);
}

void PluginHost::SetProgram(int program)
{
    Dispatch(effSetProgram, 0, program);
}

bool PluginHost::LoadPreset(const PresetFile& preset, const std::string& path, std::string& error)
{
    const bool program = preset.kind == PresetFile::Kind::Program;
    // effSetChunk takes a mutable pointer; the preset stays untouched.
    std::vector<uint8_t> chunk = preset.chunk;
    if (program)
        Dispatch(effBeginSetProgram);
    const VstIntPtr loaded =
        Dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
    if (program)
        Dispatch(effEndSetProgram);
    if (!loaded) {
        error = path + ": the plug-in refused the " + (program ? "program" : "bank") + " (" +
                std::to_string(chunk.size()) + "-byte chunk)";
        return false;
    }
    if (!program && preset.currentProgram >= 0 && preset.currentProgram < effect_->numPrograms)
        Dispatch(effSetProgram, 0, preset.currentProgram);
    return true;
}

std::string PluginHost::ParameterName(int index) const
{
    return Text(effGetParamName, index);
}

std::string PluginHost::ParameterDisplay(int index) const
{
    std::string display = Text(effGetParamDisplay, index);
    const std::string label = Text(effGetParamLabel, index);
    if (!label.empty())
        display += " " + label;
    return display;
}

bool PluginHost::SaveBank(PresetFile& bank, std::string& error)
{
    if (!effect_ || !(effect_->flags & effFlagsProgramChunks)) {
        error = "the plug-in does not keep its presets as chunks";
        return false;
    }
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) {
        error = "the plug-in gave no bank chunk";
        return false;
    }
    bank = PresetFile();
    bank.kind = PresetFile::Kind::Bank;
    bank.version = 2;
    bank.fxID = effect_->uniqueID;
    bank.fxVersion = effect_->version;
    bank.numPrograms = effect_->numPrograms;
    bank.currentProgram = static_cast<int32_t>(Dispatch(effGetProgram));
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    bank.chunk.assign(bytes, bytes + size);
    return true;
}

void PluginHost::Start(float sampleRate, int blockSize)
{
    if (!effect_)
        return;
    sampleRate_ = sampleRate;
    blockSize_ = std::max(blockSize, 1);
    const int ins = std::max(effect_->numInputs, 0);
    const int outs = std::max(effect_->numOutputs, 0);
    inputs_.assign(size_t(ins), std::vector<float>(size_t(blockSize_), 0.0f));
    outputs_.assign(size_t(outs), std::vector<float>(size_t(blockSize_), 0.0f));
    inputPtrs_.clear();
    outputPtrs_.clear();
    for (auto& b : inputs_)
        inputPtrs_.push_back(b.data());
    for (auto& b : outputs_)
        outputPtrs_.push_back(b.data());
    // A plug-in with no pins still gets valid arrays.
    inputPtrs_.push_back(nullptr);
    outputPtrs_.push_back(nullptr);

    Dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate_);
    Dispatch(effSetBlockSize, 0, blockSize_);
    Dispatch(effMainsChanged, 0, 1);
    running_ = true;
}

void PluginHost::Stop()
{
    if (running_) {
        Dispatch(effMainsChanged, 0, 0);
        running_ = false;
    }
}

bool PluginHost::ProcessBlock(const BlockEvent* events, int count, int frames)
{
    if (!effect_ || !running_ || count < 0 || count > kMaxBlockEvents || frames < 0 || frames > blockSize_)
        return false;
    for (int i = 0; i < count; ++i) {
        VstMidiEvent& e = blockEvents_[i];
        e = VstMidiEvent{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent) - 8;
        e.deltaFrames = events[i].frame;
        for (int b = 0; b < 3; ++b)
            e.midiData[b] = static_cast<char>(events[i].bytes[b]);
        block_.events[i] = reinterpret_cast<VstEvent*>(&e);
    }
    block_.numEvents = count;
    block_.reserved = 0;
    blockStart_ = position_;
    Dispatch(effProcessEvents, 0, 0, &block_);

    for (auto& b : outputs_)
        std::fill(b.begin(), b.end(), 0.0f);
    if ((effect_->flags & effFlagsCanReplacing) && effect_->processReplacing)
        effect_->processReplacing(effect_, inputPtrs_.data(), outputPtrs_.data(), frames);
    else if (effect_->process)
        effect_->process(effect_, inputPtrs_.data(), outputPtrs_.data(), frames);
    position_ += frames;
    return true;
}

void PluginHost::SetSizeWindowHandler(std::function<bool(int, int)> handler)
{
    std::lock_guard<std::mutex> guard(sizeLock_);
    sizeWindow_ = std::move(handler);
}

void PluginHost::CollectEvents(const VstEvents* events)
{
    if (!events)
        return;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* e = events->events[i];
        if (!e)
            continue;
        // The plug-in reuses its buffer: Collect copies the bytes now.
        if (e->type == kVstMidiType) {
            const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(e);
            Collect(blockStart_, midi->deltaFrames, reinterpret_cast<const uint8_t*>(midi->midiData), 3);
        } else {
            Collect(blockStart_, e->deltaFrames, nullptr, 0);
        }
    }
}

VstIntPtr PluginHost::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt)
{
    PluginHost* host = (effect && effect->resvd1) ? reinterpret_cast<PluginHost*>(effect->resvd1) : g_loading;
    if (opcode == audioMasterVersion)
        return kHostVersion;
    if (!host)
        return 0;
    return host->Answer(opcode, index, value, ptr, opt);
}

VstIntPtr PluginHost::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode) {
    case audioMasterAutomate:
        Report({Automation::Change, index, opt});
        return 0;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        Report({opcode == audioMasterBeginEdit ? Automation::BeginEdit : Automation::EndEdit, index, 0.0f});
        return 1;
    case audioMasterWantMidi:
        wantsMidi_ = true;
        return 1;
    case audioMasterProcessEvents:
        CollectEvents(static_cast<const VstEvents*>(ptr));
        return 1;
    case audioMasterSizeWindow: {
        std::function<bool(int, int)> handler;
        {
            std::lock_guard<std::mutex> guard(sizeLock_);
            handler = sizeWindow_;
        }
        return handler && handler(index, static_cast<int>(value)) ? 1 : 0;
    }
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(sampleRate_);
    case audioMasterGetBlockSize:
        return blockSize_;
    case audioMasterGetVendorString:
        if (ptr)
            std::strcpy(static_cast<char*>(ptr), kVendor);  // fits the 64-byte limit
        return ptr ? 1 : 0;
    case audioMasterGetProductString:
        if (ptr)
            std::strcpy(static_cast<char*>(ptr), kProduct);
        return ptr ? 1 : 0;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterCanDo: {
        static const char* const kCan[] = {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                                           "receiveVstMidiEvent", "sizeWindow"};
        if (!ptr)
            return 0;
        for (const char* can : kCan)
            if (std::strcmp(static_cast<const char*>(ptr), can) == 0)
                return 1;
        return 0;
    }
    case audioMasterGetDirectory:
        return reinterpret_cast<VstIntPtr>(directory_.c_str());
    case audioMasterGetLanguage:
        return 1;  // English
    default:
        return 0;
    }
}

}  // namespace host
}  // namespace tessaro
