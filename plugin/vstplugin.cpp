#include "plugin/vstplugin.h"

#include <cstddef>
#include <cstring>

#include "kova/gui/info.h"
#include "plugin/identity.h"

using kova::midi::midievent;

static_assert(sizeof(midievent) == sizeof(VstMidiEvent) &&
                  offsetof(midievent, deltaFrames) == offsetof(VstMidiEvent, deltaFrames) &&
                  offsetof(midievent, midiData) == offsetof(VstMidiEvent, midiData),
              "queued events are handed to the host as they are");

VSTPlugin::VSTPlugin(audioMasterCallback audioMaster, int& status) : SPlugin(audioMaster), SEngineAccess(engine)
{
    static_assert(offsetof(OutputEvents, events) == offsetof(VstEvents, events),
                  "the output block keeps the host's header layout");
    outEvents.numEvents = 0;
    outEvents.reserved = 0;
    for (int i = 0; i < kOutQueueSize; ++i)
        outEvents.events[i] = nullptr;

    // The editor identifies the host and may refuse it (status).
    CreateEditor(*this, changes, status);
    engine.SetListener(&changes);
}

VSTPlugin::~VSTPlugin()
{
    // The editor goes before the engine it shows.
    DestroyEditor();
}

// --- Audio thread -----------------------------------------------------------

VstInt32 VSTPlugin::processEvents(VstEvents* events)
{
    if (!events)
        return 0;
    PolyphonyEngine::InputWriter queue = engine.Input();
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (!event || event->type != kVstMidiType)
            continue;
        queue.pushBytes(event);  // the same 32-byte layout
    }
    queue.commit();
    return 0;
}

void VSTPlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (IsSuspended())
        return;
    engine.ProcessInput();
    if (inputs && outputs && sampleFrames > 0) {
        for (int c = 0; c < tessaro::kNumOutputs; ++c)
            if (inputs[c] && outputs[c] && inputs[c] != outputs[c])
                std::memcpy(outputs[c], inputs[c], sizeof(float) * static_cast<size_t>(sampleFrames));
    }
    if (engine.HasOutput())
        FlushOutput();
}

void VSTPlugin::process(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (IsSuspended())
        return;
    engine.ProcessInput();
    if (inputs && outputs) {
        for (int c = 0; c < tessaro::kNumOutputs; ++c) {
            const float* in = inputs[c];
            float* out = outputs[c];
            if (!in || !out)
                continue;
            for (VstInt32 i = 0; i < sampleFrames; ++i)
                out[i] += in[i];
        }
    }
    if (engine.HasOutput())
        FlushOutput();
}

void VSTPlugin::FlushOutput()
{
    // The host reads the events where they lie in the engine's queue, while
    // other threads may go on queueing, without a copy.
    const VstInt32 count = engine.LendOutput(outEvents.events);
    if (count > 0) {
        outEvents.reserved = 0;
        outEvents.numEvents = count;
        sendVstEventsToHost(reinterpret_cast<VstEvents*>(&outEvents));
    }
    engine.GiveBackOutput();
}

// --- State changes ------------------------------------------------------------

void VSTPlugin::suspend()
{
    SPlugin::suspend();
    engine.suspend();
}

void VSTPlugin::resume()
{
    SPlugin::resume();
}

void VSTPlugin::setSampleRate(float rate)
{
    if (IsSuspended()) {
        SPlugin::setSampleRate(rate);
        return;
    }
    suspend();
    SPlugin::setSampleRate(rate);
    resume();
}

void VSTPlugin::setBlockSize(VstInt32 size)
{
    SPlugin::setBlockSize(size);
}

void VSTPlugin::BeginGesture(int index)
{
    if (HostTakesGestures())
        beginEdit(index);
}

void VSTPlugin::EndGesture(int index)
{
    if (HostTakesGestures())
        endEdit(index);
}

// --- Parameters ---------------------------------------------------------------

void VSTPlugin::setParameter(VstInt32 index, float value)
{
    engine.setParameter(index, value);
}

float VSTPlugin::getParameter(VstInt32 index)
{
    return engine.getParameter(index);
}

void VSTPlugin::getParameterName(VstInt32 index, char* text)
{
    engine.getParameterName(index, text);
}

void VSTPlugin::getParameterDisplay(VstInt32 index, char* text)
{
    engine.getParameterDisplay(index, text);
}

void VSTPlugin::getParameterLabel(VstInt32 index, char* text)
{
    engine.getParameterLabel(index, text);
}

// --- Programs and chunks ----------------------------------------------------------

VstInt32 VSTPlugin::getProgram()
{
    return engine.getProgram();
}

void VSTPlugin::setProgram(VstInt32 program)
{
    engine.setProgram(program);
}

void VSTPlugin::setProgramName(char* name)
{
    engine.setProgramName(name);
}

void VSTPlugin::getProgramName(char* name)
{
    engine.getProgramName(name);
}

bool VSTPlugin::getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text)
{
    (void)category;
    return engine.getProgramNameIndexed(index, text);
}

VstInt32 VSTPlugin::getChunk(void** data, bool isPreset)
{
    return engine.getChunk(data, isPreset);
}

VstInt32 VSTPlugin::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    const ChunkLoad result = engine.setChunk(data, byteSize, isPreset);
    if (result == ChunkLoad::LoadedFromNewerVersion) {
        // "Failed to load bank|program ...", titled with the product name.
        char text[160];
        kova::gui::SInfo(VSTPluginProgramBank::NewerVersionMessage(!isPreset, text, sizeof text),
                         tessaro::kProductName);
    }
    return result == ChunkLoad::Refused ? 0 : 1;
}
