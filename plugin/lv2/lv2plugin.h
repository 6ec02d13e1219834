// The LV2 adapter: the instance the host creates from the DSP binary. It
// owns the polyphony engine. Per run it applies the control inputs that
// the host changed, queues the MIDI of midi_in into the engine at the
// events' frames, runs the engine, writes the engine's output to midi_out
// at each event's frame, and reports the engine's values on the control
// outputs. State is the bank chunk and the current program.
//
// Control inputs change the engine only when the host changes them: the
// engine also changes itself (MIDI program changes, remote controllers,
// learn, the editor, state), and a port value applied every block would
// undo that at once. The adapter keeps the last value seen per input. A
// new instance starts from the engine's defaults, so a host that sets
// other values before the first run has them applied. After a state
// restore the next run only takes note of the input values: hosts restore
// the ports' saved values as well, and the restored bank and program win.
//
// Real time: run() takes the engine's spin lock (never the kernel's),
// allocates nothing and never waits on the editor. Save and restore run on
// other threads through the engine's locked operations; restore hands the
// "take note" request to run() through an atomic.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>

#include "plugin/identity.h"
#include "plugin/enginechangeboard.h"
#include "plugin/lv2/lv2log.h"
#include "plugin/lv2/lv2ports.h"
#include "plugin/polyphonyengine.h"

class LV2Plugin {
public:
    // Room midi_out needs for a full output queue: the sequence header and
    // one event header with a padded 3-byte body per event (tessaro.ttl
    // asks hosts for at least this much).
    static constexpr uint32_t kMidiEventBytes = sizeof(LV2_Atom_Event) + 8;
    static constexpr uint32_t kMidiOutMinimumBytes =
        sizeof(LV2_Atom_Sequence) + PolyphonyEngine::kOutQueueSize * kMidiEventBytes;

    // Null, with a message, when the host lacks urid:map.
    static LV2Plugin* Create(const LV2_Feature* const* features);

    void ConnectPort(uint32_t port, void* data);
    void Activate();
    void Deactivate();
    void Run(uint32_t frames);

    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    // --- For an editor in the same process (instance access) ---------------
    // Everything it uses is inline here, so the UI binary needs none of the
    // adapter's code. The stamp tells a handle of this build's adapter.
    bool IsThisBuild() const { return stamp == kStamp && size == sizeof(LV2Plugin); }
    PolyphonyEngine& Engine() { return engine; }
    const SEngineChangeBoard& Changes() const { return changes; }
    // False while the host has processing switched off (deactivated).
    bool Active() const { return active.load(std::memory_order_acquire); }

private:
    static constexpr uint32_t kStamp = static_cast<uint32_t>(tessaro::FourCharCode('T', 'S', 'L', '2'));

    LV2Plugin(const LV2_URID_Map& map, const LV2_Feature* const* features);

    void ApplyControlInputs();
    void QueueInput();
    void WriteOutput(uint32_t frames);
    void ReportControls();

    // First, so that an editor can check a handle before it uses more.
    const uint32_t stamp = kStamp;
    const uint32_t size = sizeof(LV2Plugin);

    PolyphonyEngine engine;
    SEngineChangeBoard changes;
    tessaro::lv2::SLV2Log log;
    std::atomic<bool> active{false};
    // Set by Restore: the next run takes note of the inputs without applying.
    std::atomic<bool> adoptInputs{false};

    struct {
        LV2_URID sequence, midiEvent, chunk, integer, bankKey, programKey;
    } urids;

    const LV2_Atom_Sequence* midiIn = nullptr;
    LV2_Atom_Sequence* midiOut = nullptr;
    float* controls[tessaro::lv2::kPortCount] = {};
    // The last value seen per control input (audio thread only).
    float seen[tessaro::lv2::kPortCount] = {};
};
