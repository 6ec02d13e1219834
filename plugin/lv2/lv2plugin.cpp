#include "plugin/lv2/lv2plugin.h"

#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "kova/midi/midistatus.h"
#include <new>

using kova::midi::midievent;
using namespace tessaro::lv2;

namespace {

constexpr uint32_t kStateFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
// The length of a MIDI message by its status byte; 0 for what the engine
// does not carry (data bytes without status, system exclusive).
constexpr uint32_t MessageLength(uint8_t status)
{
    using namespace kova::midi;
    if (status < statusFirst || status == statusSystemExclusive)
        return 0;
    switch (status & statusKindMask) {
    case statusProgramChange:
    case statusChannelPressure:
        return 2;
    case statusSystem:
        if (status == statusTimeCodeQuarterFrame || status == statusSongSelect)
            return 2;
        return status == statusSongPosition ? 3 : 1;
    default:
        return 3;
    }
}

// The same as a table, for the per-event paths.
struct MessageLengths {
    constexpr MessageLengths() : of()
    {
        for (int status = 0; status < 256; ++status)
            of[status] = static_cast<uint8_t>(MessageLength(static_cast<uint8_t>(status)));
    }
    uint8_t of[256];
};
constexpr MessageLengths kLengths;

// What every queued input starts from: a host MIDI event with no message.
const midievent kBlankEvent{};

}  // namespace

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "MIDI bytes are moved as little-endian words");
static_assert(LV2Plugin::kMidiOutMinimumBytes <= TESSARO_LV2_MIDI_OUT_BYTES,
              "tessaro.ttl asks for room for a full output queue");

LV2Plugin* LV2Plugin::Create(const LV2_Feature* const* features)
{
    const auto* map = static_cast<const LV2_URID_Map*>(FindFeature(features, LV2_URID__map));
    if (!map) {
        SLV2Log(features).Error("the host offers no URID map (urid:map); the plug-in cannot start.");
        return nullptr;
    }
    return new (std::nothrow) LV2Plugin(*map, features);
}

LV2Plugin::LV2Plugin(const LV2_URID_Map& map, const LV2_Feature* const* features) : log(features)
{
    urids.sequence = map.map(map.handle, LV2_ATOM__Sequence);
    urids.midiEvent = map.map(map.handle, LV2_MIDI__MidiEvent);
    urids.chunk = map.map(map.handle, LV2_ATOM__Chunk);
    urids.integer = map.map(map.handle, LV2_ATOM__Int);
    urids.bankKey = map.map(map.handle, kBankStateURI);
    urids.programKey = map.map(map.handle, kProgramStateURI);
    engine.SetListener(&changes);
    // A new instance has seen the engine's defaults: inputs that differ
    // from them at the first run are applied.
    for (uint32_t port = kFirstControlInput; port < kFirstControlInput + kControlInputs; ++port) {
        const int parameter = ParameterOfControl(port);
        seen[port] = parameter < 0 ? static_cast<float>(engine.getProgram())
                                   : NativeValue(port, engine.getParameter(parameter));
    }
}

void LV2Plugin::ConnectPort(uint32_t port, void* data)
{
    switch (port) {
    case kPortMidiIn:
        midiIn = static_cast<const LV2_Atom_Sequence*>(data);
        break;
    case kPortMidiOut:
        midiOut = static_cast<LV2_Atom_Sequence*>(data);
        break;
    default:
        if (port < kPortCount)
            controls[port] = static_cast<float*>(data);
        break;
    }
}

void LV2Plugin::Activate()
{
    active.store(true, std::memory_order_release);
}

void LV2Plugin::Deactivate()
{
    active.store(false, std::memory_order_release);
    engine.suspend();
}

// --- Audio thread -----------------------------------------------------------

void LV2Plugin::Run(uint32_t frames)
{
    ApplyControlInputs();
    QueueInput();
    engine.ProcessInput();
    WriteOutput(frames);
    ReportControls();
}

void LV2Plugin::ApplyControlInputs()
{
    // Tested before it is cleared: a plain load costs less than a locked
    // exchange in every block.
    const bool adopt = adoptInputs.load(std::memory_order_acquire) &&
                       adoptInputs.exchange(false, std::memory_order_acq_rel);
    // The program first, so that parameters changed in the same block
    // apply to the new program.
    constexpr uint32_t order[] = {kPortProgram,      kPortPolyphony,   kPortKill,         kPortPanic,
                                  kPortPresetsSwitching, kPortMidiThrough, kPortSustainPedal, kPortStealPolicy,
                                  kPortPerChannel,   kPortNoteReturn};
    static_assert(sizeof order / sizeof order[0] == kControlInputs, "every control input");
    for (const uint32_t port : order) {
        if (!controls[port])
            continue;
        const float value = *controls[port];
        if (value == seen[port] || value != value)  // unchanged, or NaN
            continue;
        seen[port] = value;
        if (adopt)
            continue;
        const int parameter = ParameterOfControl(port);
        if (parameter < 0) {
            // Nearest program; values that round outside the bank (the
            // infinities among them) are ignored.
            if (value >= -0.5f && value < VSTPluginProgramBank::kPrograms - 0.5f)
                engine.setProgram(static_cast<int>(std::floor(value + 0.5f)));
        } else
            engine.setParameter(parameter, EngineValue(port, value));
    }
}

void LV2Plugin::QueueInput()
{
    if (!midiIn)
        return;
    // Walked by offsets within the sequence's size, never by pointers that
    // an event claiming a huge body could make wrap: an event that does not
    // lie wholly inside the sequence ends the walk.
    const uint64_t size = midiIn->atom.size;
    const auto* body = reinterpret_cast<const uint8_t*>(&midiIn->body);
    const uint32_t midiEvent = urids.midiEvent;
    PolyphonyEngine::InputWriter queue = engine.Input();
    for (uint64_t offset = sizeof(LV2_Atom_Sequence_Body); offset + sizeof(LV2_Atom_Event) <= size;) {
        const auto* event = reinterpret_cast<const LV2_Atom_Event*>(body + offset);
        const uint32_t length = event->body.size;
        if (offset + sizeof(LV2_Atom_Event) + length > size)
            break;
        offset += sizeof(LV2_Atom_Event) + ((uint64_t{length} + 7) & ~uint64_t{7});
        if (event->body.type != midiEvent)
            continue;
        const auto* bytes = reinterpret_cast<const uint8_t*>(event + 1);
        if (length == 0 || length > 3 || kLengths.of[bytes[0]] == 0)
            continue;
        // Written into the queued copy: a message built on the stack and
        // copied at once would stall the copy's loads on its byte stores.
        midievent* queued = queue.pushBytes(&kBlankEvent);
        queued->deltaFrames = static_cast<int32_t>(event->time.frames);
        const uint32_t message = bytes[0] | (length > 1 ? bytes[1] << 8 : 0u) | (length > 2 ? bytes[2] << 16 : 0u);
        std::memcpy(queued->midiData, &message, sizeof message);
    }
    queue.commit();
}

void LV2Plugin::WriteOutput(uint32_t frames)
{
    if (!midiOut)
        return;
    // The host sets the atom's size to the room it gives us. Without room
    // for the sequence header nothing is written, and the block's output
    // is lost.
    const uint32_t capacity = midiOut->atom.size;
    if (capacity < sizeof(LV2_Atom_Sequence_Body)) {
        if (engine.HasOutput()) {
            engine.LendOutputRuns();
            engine.GiveBackOutput();
        }
        return;
    }
    midiOut->atom.type = urids.sequence;
    midiOut->atom.size = sizeof(LV2_Atom_Sequence_Body);
    midiOut->body.unit = 0;
    midiOut->body.pad = 0;
    if (!engine.HasOutput())
        return;

    const PolyphonyEngine::OutputQueue::runs output = engine.LendOutputRuns();
    // A sequence's times never decrease. The engine orders its events as
    // they happened, and those it makes while handling an input event carry
    // that event's frame; but a change made on another thread (the editor
    // lowering the polyphony, its panic) between the drain and this hand-
    // over queues events at frame 0 after the block's. Such an event leaves
    // at the frame of the event before it.
    //
    // Every event takes kMidiEventBytes: its header and at most 3 bytes of
    // message padded to 8. A host that gives less room than tessaro.ttl
    // asks for loses the events that do not fit.
    const uint32_t room = (capacity - sizeof(LV2_Atom_Sequence_Body)) / kMidiEventBytes;
    uint8_t* const first = reinterpret_cast<uint8_t*>(&midiOut->body + 1);
    uint8_t* out = first;
    uint8_t* const end = first + room * kMidiEventBytes;
    const uint32_t midiEvent = urids.midiEvent;
    int64_t last = 0;
    const int64_t lastFrame = frames > 0 ? frames - 1 : 0;
    const midievent* const runs[2][2] = {{output.first, output.first + output.firstLength},
                                         {output.second, output.second + output.secondLength}};
    for (const auto& run : runs) {
        for (const midievent* message = run[0]; message != run[1] && out != end; ++message) {
            const uint32_t length = kLengths.of[message->midiData[0]];
            if (length == 0)
                continue;
            int64_t frame = message->deltaFrames;
            if (frame > lastFrame)
                frame = lastFrame;
            if (frame < last)
                frame = last;
            last = frame;
            LV2_Atom_Event header;
            header.time.frames = frame;
            header.body.type = midiEvent;
            header.body.size = length;
            std::memcpy(out, &header, sizeof header);
            // The message and its padding in one store (x86 is little-endian:
            // the low bytes of the word are the first in memory).
            uint32_t bytes;
            std::memcpy(&bytes, message->midiData, sizeof bytes);
            const uint64_t body = bytes & ((uint64_t{1} << (8 * length)) - 1);
            std::memcpy(out + sizeof header, &body, sizeof body);
            out += kMidiEventBytes;
        }
    }
    midiOut->atom.size += static_cast<uint32_t>(out - first);
    engine.GiveBackOutput();
}

void LV2Plugin::ReportControls()
{
    PolyphonyEngine::Readings now;
    engine.Read(now);
    for (uint32_t input = kFirstControlInput; input < kFirstControlInput + kControlInputs; ++input) {
        float* output = controls[input + kControlInputs];
        if (!output)
            continue;
        const int parameter = ParameterOfControl(input);
        *output = parameter < 0 ? static_cast<float>(now.program) : NativeValue(input, now.parameters[parameter]);
    }
    if (float* notes = controls[kPortSoundingNotes])
        *notes = static_cast<float>(now.activeNotes);
}

// --- State ------------------------------------------------------------------

LV2_State_Status LV2Plugin::Save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    // A copy, so that the host's store (which may take its time) reads no
    // live records.
    VSTPluginProgram bank[VSTPluginProgramBank::kPrograms];
    int32_t program = 0;
    engine.CopyBank(bank, program);

    LV2_State_Status status = store(handle, urids.bankKey, bank, sizeof bank, urids.chunk, kStateFlags);
    if (status == LV2_STATE_SUCCESS)
        status = store(handle, urids.programKey, &program, sizeof program, urids.integer, kStateFlags);
    if (status != LV2_STATE_SUCCESS)
        log.Error("the host could not store the bank; the session does not hold Tessaro's programs.");
    return status;
}

LV2_State_Status LV2Plugin::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* bank = retrieve(handle, urids.bankKey, &size, &type, &flags);
    if (!bank)
        return LV2_STATE_SUCCESS;  // a state of port values only: the ports apply as usual
    char text[200];
    if (type != urids.chunk) {
        log.Error("Failed to load bank\n(Reason: the saved bank is not a chunk; nothing was loaded)");
        return LV2_STATE_ERR_BAD_TYPE;
    }
    const ChunkLoad result = engine.setChunk(bank, static_cast<int32_t>(size), false);
    if (result == ChunkLoad::Refused) {
        std::snprintf(text, sizeof text, "Failed to load bank\n(Reason: %zu bytes saved, %i expected; nothing was loaded)",
                      size, VSTPluginProgramBank::kBankSize);
        log.Error(text);
        return LV2_STATE_ERR_UNKNOWN;
    }
    if (result == ChunkLoad::LoadedFromNewerVersion)
        log.Warning(VSTPluginProgramBank::NewerVersionMessage(true, text, sizeof text));

    const void* program = retrieve(handle, urids.programKey, &size, &type, &flags);
    if (program && type == urids.integer && size == sizeof(int32_t)) {
        int32_t number = 0;
        std::memcpy(&number, program, sizeof number);
        engine.setProgram(number);
    }
    adoptInputs.store(true, std::memory_order_release);
    return LV2_STATE_SUCCESS;
}
