// The polyphony engine: the effect the host loads. Per audio block it drains
// the MIDI the host queued through the note table (admit, drop or steal),
// remote controllers and program changes, passes the audio through
// unchanged, and hands every resulting event back to the host in one block.
#pragma once

#include <atomic>
#include <cstdint>

#include "kova/midi/midievent.h"
#include "kova/midi/midiqueue.h"
#include "kova/midi/noteinfo.h"
#include "kova/midi/notetable.h"
#include "kova/threading/mutex.h"
#include "plugin/programbank.h"
#include "plugin/splugin.h"

// Parameter indices: 0-4 are the host's, 6-10 are used between engine and
// editor.
enum VSTPluginParameter {
    kParamPolyphony = 0,
    kParamKill = 1,
    kParamPanic = 2,
    kParamPresetSwitching = 3,
    kParamMidiThrough = 4,
    kParamPolyCC = 6,
    kParamKillCC = 7,
    kParamPanicCC = 8,
    kParamLearnDone = 9,    // refresh of the learn display
    kParamActiveNotes = 10, // number of notes sounding, not scaled
};

// How engine state is kept free of races.
//
// engineLock (a spin lock that never blocks in the kernel) is the single
// guard of all engine state: the note table with its count, counter and
// index, outQueue, the program records and curProgram, the panic state and
// the consumption of the learn flags. The audio thread takes it for the
// drain and for the flush; every public operation that reads or writes that
// state from another thread (parameters, programs, names, chunks, suspend)
// takes it too, through EngineGuard.
//
// The drain changes parameters and programs through the same public
// operations (remote controllers, learn, program changes) while it already
// holds the lock, so the guard is re-entrant per thread: the owner's thread
// id is stored atomically after locking and cleared before unlocking, and a
// guard on the owning thread does nothing. (No thread_local: thread-local
// storage in a dlopened object may allocate on first use.)
//
// Nothing slow happens under the lock: no X call, no dialog (the message
// about a chunk from a newer version is shown after the lock is released),
// no allocation, no host callback. Editor notifications only set flags and
// read the editor-closed flag atomically; the audio thread never takes the
// editor's pthread mutex. inQueue belongs to the audio thread alone
// (processEvents and the drain) and needs no lock. The learn flags are
// atomics because the editor panel sets them directly.
class VSTPlugin : public SPlugin {
public:
    static constexpr int kTableSize = 128;
    static constexpr int kInQueueSize = 256;
    static constexpr int kPanicEvents = 32; // All Sound Off and pitch-bend centre on 16 channels
    // Room for everything the engine can make between two flushes, so no
    // event is lost: each queued input gives at most one event besides
    // note-offs (a note-on, or a forwarded message); note-offs end at most
    // the notes sounding at the last flush (128) plus those admitted since
    // (at most one per input, 256); a panic adds its 32 events at most once
    // per flush (a second panic before the flush repeats what is queued).
    static constexpr int kOutQueueSize = kInQueueSize * 2 + kTableSize + kPanicEvents; // 672

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
    // A pointer into the live records, valid until the next setChunk.
    VstInt32 getChunk(void** data, bool isPreset = false) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false) override;

    // MIDI learn, set directly by the editor panel: learnMode while learning
    // runs, and a flag per function the next control change is assigned to.
    std::atomic<bool> learnMode{false};
    std::atomic<bool> learnPolyCC{false};
    std::atomic<bool> learnKillCC{false};
    std::atomic<bool> learnPanicCC{false};

private:
    class EngineGuard;

    // Header of the host's event block with room for every queued event.
    struct OutputEvents {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[kOutQueueSize];
    };

    VSTPluginProgram& Current() { return bank.programs[curProgram]; }

    void midiInProcess();
    void DrainInput();
    void HandleControlChange(const kova::midi::midievent& event);
    void HandleProgramChange(const kova::midi::midievent& event);
    void Forward(const kova::midi::midievent& event);
    void FlushOutput();
    void SendPanic();
    // Ends the oldest notes until at most `polyphony` sound.
    void EndNotesAbove(int polyphony);
    void Notify(long index);
    void NotifyAll();

    kova::midi::midiqueue<kInQueueSize> inQueue;
    kova::midi::midiqueue<kOutQueueSize> outQueue;
    kova::threading::SMutexID engineLock;
    std::atomic<uintptr_t> engineOwner{0};

    kova::midi::noteinfo activeNotes[kTableSize];
    int activeCount = 0;
    float ageCounter = 0.0f;
    kova::midi::noteindex noteIndex;

    bool panicState = false;
    bool panicQueued = false; // panic events wait in outQueue for the flush

    OutputEvents outEvents;  // points into outQueue while the host reads it

    VSTPluginProgramBank bank;
};
