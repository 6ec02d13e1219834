// The VST 2 adapter: the effect the host loads. It owns the polyphony
// engine and the editor. Per audio block it queues the host's MIDI into the
// engine, runs the engine, passes the audio through unchanged and hands the
// engine's output to the host in one event block, sized for the most the
// engine can make between two blocks (PolyphonyEngine::kOutQueueSize). The
// engine's changes go to its change board, which the editor reads in its
// idle time; the user's changes go to the host.
//
// The engine's locking contract is in plugin/polyphonyengine.h. The adapter
// adds: the audio thread never takes a lock of the editor's (engine
// notifications only count on the board), and the message about a chunk
// from a newer version is shown after the engine's lock is released.
#pragma once

#include "plugin/engineaccess.h"
#include "plugin/enginechangeboard.h"
#include "plugin/polyphonyengine.h"
#include "plugin/splugin.h"

class VSTPlugin : public SPlugin, public SEngineAccess {
public:
    static constexpr int kOutQueueSize = PolyphonyEngine::kOutQueueSize;

    VSTPlugin(audioMasterCallback audioMaster, int& status);
    ~VSTPlugin() override;

    // MIDI and audio (host audio thread).
    VstInt32 processEvents(VstEvents* events) override;
    void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    void suspend() override;
    void resume() override;
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;

    // Parameters (any thread).
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* text) override;

    // Programs and chunks.
    VstInt32 getProgram() override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    // A copy taken under the engine's lock, untouched until the next getChunk.
    VstInt32 getChunk(void** data, bool isPreset = false) override;
    // A chunk longer than this version writes loads, and the user is told
    // that some settings were lost.
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false) override;

    PolyphonyEngine& Engine() { return engine; }
    const SEngineChangeBoard& Changes() const { return changes; }

    // For the control panel (SEngineAccess answers the values).
    bool Suspended() const override { return IsSuspended(); }
    void UserChange(int index, float value) override { setParameterAutomated(index, value); }
    // Left out for a host that crashes on them (SPlugin::HostTakesGestures).
    void BeginGesture(int index) override;
    void EndGesture(int index) override;

private:
    // Header of the host's event block with room for every queued event.
    struct OutputEvents {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[kOutQueueSize];
    };

    void FlushOutput();

    PolyphonyEngine engine;
    SEngineChangeBoard changes;
    OutputEvents outEvents;  // points into the engine's output while the host reads it
};
