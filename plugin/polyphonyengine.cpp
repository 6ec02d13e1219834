#include "plugin/polyphonyengine.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "kova/midi/midistatus.h"

using kova::midi::midievent;

namespace {

const char* const kParameterNames[] = {"OP: Polyphony", "OP: Kill", "AC: Panic", "OP: Presets Switching",
                                       "OP: Midi Through", "OP: Sustain Pedal"};
constexpr int kNamedParameters = sizeof kParameterNames / sizeof kParameterNames[0];
const char* const kOptionNames[] = {"OP: Steal", "OP: Per Channel", "OP: Note Return"};
static_assert(kStealPolicies == kova::midi::stealPolicies, "one name for each steal policy");

// Host buffers: parameter texts get at most this many bytes, program names
// at most a record's name field.
constexpr size_t kMaxParameterText = 64;
constexpr size_t kMaxProgramName = VSTPluginProgramBank::kNameSize;

constexpr float kPolyphonyStep = 0.007874016f;  // 1/127
constexpr float kControllerStep = 0.0078125f;   // 1/128
constexpr float kDisplayOnAbove = 0.99999988f;  // 1 - 2^-23

// Nearest integer, halves upward. The product of a float and 127 or 128 is
// exact in double, so the result is the same on every FPU.
int RoundHalfUp(float value, int scale)
{
    return static_cast<int>(std::floor(static_cast<double>(value) * scale + 8.326e-17 + 0.5));
}

// Copies at most size - 1 characters and always terminates.
void CopyText(char* dest, const char* src, size_t size)
{
    size_t n = 0;
    while (n + 1 < size && src[n])
        ++n;
    std::memcpy(dest, src, n);
    dest[n] = 0;
}

}  // namespace

// --- Audio thread -----------------------------------------------------------

void PolyphonyEngine::DrainInput()
{
    EngineGuard guard(*this);
    // Notes, the bulk of the traffic, are handled with the note count, the
    // age counter, the options, the pedals down and the queue positions held
    // in locals. Everything else goes through the public operations, which
    // read and change the members, so the locals are stored before and
    // reloaded after. The pedals cost a note-on nothing (its velocity write
    // clears a held mark) and the note-off of a sounding note one test.
    // With an allocation option set, notes go through the allocator, which
    // works on the members; the locals are reloaded after the stretch of
    // notes. The path is chosen per stretch, so a note pays no test for it.
    if (returnsHeldBack.load(std::memory_order_relaxed)) {
        returnsHeldBack.store(false, std::memory_order_relaxed);
        ReturnWaitingNotes();
    }
    InputQueue::reader in(inQueue);
    OutputQueue::writer out(outQueue);
    int count = activeCount;
    float age = ageCounter;
    int polyphony = Current().polyphony;
    bool kill = Current().kill != 0;
    uint32_t pedalsDown = pedals.DownMask();
    bool allocate = allocating;

    // Inputs past kBlockEvents since the flush may only end notes, so that
    // the output queue cannot overflow (see kOutQueueSize).
    int32_t fullLeft = kBlockEvents - inputsSinceFlush;
    int32_t length = 0;
    while (midievent* run = in.takeRun(length)) {
        // The events of this run before fullEnd are handled in full.
        midievent* const fullEnd = run + (length < fullLeft ? length : fullLeft);
        fullLeft -= static_cast<int32_t>(fullEnd - run);
        inputsSinceFlush += static_cast<int32_t>(fullEnd - run);
        midievent* next = run;
        midievent* const end = run + length;
        while (next != end) {
            // A stretch of notes, by one path or the other, up to the next
            // other event.
            if (!allocate) {
                for (; next != end; ++next) {
                    const midievent& event = *next;
                    const int kind = event.Kind();
                    if (kind == kova::midi::statusNoteOn && event.Data2() > 0) {
                        if (__builtin_expect(next >= fullEnd, 0))
                            continue;
                        kova::midi::midiNoteOnQueueAdvanced(event, &out, &polyphony, kill, activeNotes, &count, age,
                                                            kTableSize, noteIndex);
                        continue;
                    }
                    if (kind == kova::midi::statusNoteOff || kind == kova::midi::statusNoteOn) {  // a note-on with velocity 0 is a note-off
                        // A pedal down keeps a sounding note sounding: nothing
                        // goes out, and it stays counted until the pedal lifts.
                        kova::midi::midiNoteOffQueue(event, &out, activeNotes, &count, kTableSize, noteIndex,
                                                     pedalsDown);
                        continue;
                    }
                    break;
                }
            } else {
                // The writer stays out of the call, so that its state can
                // live in registers on the plain path.
                out.commit();
                next = AllocateNotes(next, end, fullEnd, polyphony, kill, pedalsDown);
                out.reload();
                count = activeCount;
                age = ageCounter;
            }
            if (next == end)
                break;
            const midievent& event = *next++;
            const int kind = event.Kind();
            out.commit();
            activeCount = count;
            ageCounter = age;
            ownEventsAt = event.deltaFrames;
            onlyEndNotes = &event >= fullEnd;
            if (kind == kova::midi::statusControlChange)
                HandleControlChange(event);
            else if (kind == kova::midi::statusProgramChange)
                HandleProgramChange(event);
            else if (Current().midiThrough)
                Forward(event);
            ReturnWaitingNotes();
            onlyEndNotes = false;
            ownEventsAt = 0;
            out.reload();
            count = activeCount;
            age = ageCounter;
            polyphony = Current().polyphony;
            kill = Current().kill != 0;
            pedalsDown = pedals.DownMask();
            allocate = allocating;
        }
    }
    out.commit();
    in.commit();
    activeCount = count;
    ageCounter = age;
}

midievent* PolyphonyEngine::AllocateNotes(midievent* next, midievent* end, const midievent* fullEnd, int polyphony,
                                          bool kill, uint32_t pedalsDown)
{
    // One loop per policy, so that each note-on runs the allocator's code
    // for its policy alone (see voiceallocator::NoteOn).
    switch (allocator->Settings().policy) {
    case kova::midi::stealNewest:
        return AllocateNotesBy<kova::midi::stealNewest>(next, end, fullEnd, polyphony, kill, pedalsDown);
    case kova::midi::stealLowest:
        return AllocateNotesBy<kova::midi::stealLowest>(next, end, fullEnd, polyphony, kill, pedalsDown);
    case kova::midi::stealHighest:
        return AllocateNotesBy<kova::midi::stealHighest>(next, end, fullEnd, polyphony, kill, pedalsDown);
    case kova::midi::stealQuietest:
        return AllocateNotesBy<kova::midi::stealQuietest>(next, end, fullEnd, polyphony, kill, pedalsDown);
    default:
        return AllocateNotesBy<kova::midi::stealOldest>(next, end, fullEnd, polyphony, kill, pedalsDown);
    }
}

template <int Policy>
midievent* PolyphonyEngine::AllocateNotesBy(midievent* next, midievent* end, const midievent* fullEnd,
                                            int polyphony, bool kill, uint32_t pedalsDown)
{
    OutputQueue::writer out(outQueue);
    for (; next != end; ++next) {
        const midievent& event = *next;
        const int kind = event.Kind();
        if (kind != kova::midi::statusNoteOff && kind != kova::midi::statusNoteOn)
            break;
        if (kind == kova::midi::statusNoteOn && event.Data2() > 0) {
            if (next >= fullEnd)
                continue;  // past the block's bound only note-offs are handled
            if (!allocator->NoteOn<Policy>(event, &out, polyphony, kill)) {
                // Rare: through the queue, so that the writer stays in registers.
                out.commit();
                allocator->NoteOnAboveLimit<Policy>(event, &outQueue, polyphony);
                out.reload();
            }
        } else {
            allocator->NoteOff(event, &out, pedalsDown);
        }
        if (allocator->HasRoom(polyphony)) {
            // Rare: through the queue, so that the writer stays in registers.
            out.commit();
            allocator->ReturnNotes(polyphony, &outQueue, event.deltaFrames);
            out.reload();
        }
    }
    out.commit();
    return next;
}

void PolyphonyEngine::HandleControlChange(const midievent& event)
{
    const int cc = event.Data1();
    const int value = event.Data2();

    if (learnMode.load()) {
        const float assignment = static_cast<float>(cc + 1) * kControllerStep;
        if (learnPolyCC.load()) {
            setParameter(kParamPolyCC, assignment);
            learnPolyCC = false;
        }
        if (learnKillCC.load()) {
            setParameter(kParamKillCC, assignment);
            learnKillCC = false;
        }
        if (learnPanicCC.load()) {
            setParameter(kParamPanicCC, assignment);
            learnPanicCC = false;
        }
        learnMode = false;
        setParameter(kParamLearnDone, 0.0f);
        return;
    }

    // One controller may drive several functions; each acts on the event.
    // Assignments hold controller + 1, so 0 (off) never matches.
    bool handled = false;
    if (Current().polyCC == cc + 1) {
        setParameter(kParamPolyphony, static_cast<float>(value) * kPolyphonyStep);
        handled = true;
    }
    if (Current().killCC == cc + 1) {
        setParameter(kParamKill, value > 63 ? 1.0f : 0.0f);
        handled = true;
    }
    if (Current().panicCC == cc + 1) {
        setParameter(kParamPanic, value > 63 ? 1.0f : 0.0f);
        handled = true;
    }
    if (handled)
        return;
    const int channel = event.Channel();
    if (kova::midi::EndsChannelNotes(cc)) {
        // They silence the channel downstream: its notes, held ones
        // included, stop counting, each with its own note-off so that a
        // receiver that ignores the controller is silenced too. The pedal
        // stays as it is. The channel's waiting notes are forgotten first.
        if (allocating)
            allocator->ForgetChannel(channel);
        kova::midi::endChannelNotes(channel, event, &outQueue, activeNotes, &activeCount, noteIndex);
        NotesEndedElsewhere();
    } else if (cc == kova::midi::ccSustainPedal && Current().sustainPedal) {
        // The limiter sustains in the synth's place, so the synth never
        // sees the pedal.
        if (value >= kova::midi::sustainpedals::downFrom)
            pedals.Press(channel);
        else
        {
            pedals.Lift(channel, event, &outQueue, activeNotes, &activeCount, noteIndex);
            NotesEndedElsewhere();
        }
        return;
    }
    if (Current().midiThrough)
        Forward(event);
}

void PolyphonyEngine::HandleProgramChange(const midievent& event)
{
    if (Current().presetSwitching) {
        const int program = event.Data1();
        if (program < VSTPluginProgramBank::kPrograms)
            setProgram(program);
        return;
    }
    if (Current().midiThrough)
        Forward(event);
}

void PolyphonyEngine::Forward(const midievent& event)
{
    if (!onlyEndNotes)
        outQueue.push(event);
}

// --- State changes ------------------------------------------------------------

void PolyphonyEngine::suspend()
{
    EngineGuard guard(*this);
    kova::midi::clearNotes(activeNotes, kTableSize);
    activeCount = 0;
    noteIndex.Clear();
    pedals.Clear();
    learnMode = false;
    // Waiting notes are forgotten; the allocator takes up the empty table.
    allocator->ForgetAll();
    allocating = false;
    returnsHeldBack.store(false, std::memory_order_relaxed);
    ArrangeAllocation();
}

void PolyphonyEngine::LowerLimit(int oldPolyphony, bool perChannelWentOff)
{
    const int polyphony = Current().polyphony;
    if (polyphony >= oldPolyphony && !perChannelWentOff)
        return;
    if (allocating)
        allocator->Lower(polyphony, &outQueue, ownEventsAt);
    else if (polyphony < activeCount)
        kova::midi::endNotesAbove(polyphony, &outQueue, activeNotes, &activeCount, noteIndex, ownEventsAt);
}

void PolyphonyEngine::ArrangeAllocation()
{
    const VSTPluginProgram& program = Current();
    kova::midi::allocation settings;
    settings.policy = kova::midi::stealPolicyOf(program.stealPolicy);
    settings.perChannel = program.perChannel != 0;
    settings.noteReturn = program.noteReturn != 0;
    if (settings.Plain()) {
        if (allocating) {
            // The plain operations find the oldest note by the index's order.
            allocator->ForgetAll();
            noteIndex.Rebuild(activeNotes, kTableSize);
        }
        allocating = false;
        return;
    }
    if (!allocating || !(allocator->Settings() == settings))
        allocator->Arrange(settings);
    allocating = true;
}

void PolyphonyEngine::ReturnWaitingNotes()
{
    const int polyphony = Current().polyphony;
    if (allocating && allocator->HasRoom(polyphony))
        allocator->ReturnNotes(polyphony, &outQueue, ownEventsAt);
}

void PolyphonyEngine::ReleasePedalsUnlessOn()
{
    if (!Current().sustainPedal) {
        pedals.LiftAll(&outQueue, activeNotes, &activeCount, noteIndex, ownEventsAt);
        NotesEndedElsewhere();
    }
}

void PolyphonyEngine::SendPanic()
{
    // Identical panic messages already waiting for this block's flush make
    // a second set pointless (and would let outQueue overflow).
    if (panicQueued)
        return;
    for (int channel = 0; channel < 16; ++channel) {
        midievent soundOff;
        soundOff.SetMessage(kova::midi::statusControlChange | channel, kova::midi::ccAllSoundOff, 0);
        soundOff.deltaFrames = ownEventsAt;
        outQueue.push(soundOff);
        midievent bendCentre;
        bendCentre.SetMessage(kova::midi::statusPitchBend | channel, 0, 64);
        bendCentre.deltaFrames = ownEventsAt;
        outQueue.push(bendCentre);
    }
    panicQueued = true;
}

// --- Parameters ---------------------------------------------------------------

void PolyphonyEngine::setParameter(int index, float value)
{
    if (!(value >= 0.0f && value <= 1.0f)) // also refuses NaN
        return;
    EngineGuard guard(*this);
    VSTPluginProgram& program = Current();
    const bool on = value > 0.5f;

    switch (index) {
    case kParamPolyphony: {
        const int old = program.polyphony;
        program.polyphony = RoundHalfUp(value, 127);
        LowerLimit(old, false);
        Notify(index);
        break;
    }
    case kParamKill:
        if (on == (program.kill != 0))
            return;
        program.kill = on;
        Notify(index);
        break;
    case kParamPanic:
        if (on == panicState)
            return;
        panicState = on;
        if (on)
            SendPanic();
        Notify(index);
        break;
    case kParamSustainPedal:
        if (on == (program.sustainPedal != 0))
            return;
        program.sustainPedal = on;
        ReleasePedalsUnlessOn();
        Notify(index);
        break;
    case kParamPresetSwitching:
        // Compared with program 0: the option counts for the whole bank.
        if (on == (bank.programs[0].presetSwitching != 0))
            return;
        for (VSTPluginProgram& p : bank.programs)
            p.presetSwitching = on;
        Notify(index);
        break;
    case kParamMidiThrough:
        if (on == (bank.programs[0].midiThrough != 0))
            return;
        for (VSTPluginProgram& p : bank.programs)
            p.midiThrough = on;
        Notify(index);
        break;
    case kParamPolyCC:
        program.polyCC = RoundHalfUp(value, 128);
        Notify(index);
        break;
    case kParamKillCC:
        program.killCC = RoundHalfUp(value, 128);
        Notify(index);
        break;
    case kParamPanicCC:
        program.panicCC = RoundHalfUp(value, 128);
        Notify(index);
        break;
    case kParamLearnDone:
        Notify(index);
        break;
    case kParamStealPolicy: {
        const int policy = static_cast<int>(std::lround(value * 4.0f));
        if (policy == kova::midi::stealPolicyOf(program.stealPolicy))
            return;
        program.stealPolicy = policy;
        ArrangeAllocation();
        Notify(index);
        break;
    }
    case kParamPerChannel: {
        if (on == (program.perChannel != 0))
            return;
        program.perChannel = on;
        ArrangeAllocation();
        LowerLimit(program.polyphony, !on);
        Notify(index);
        break;
    }
    case kParamNoteReturn:
        if (on == (program.noteReturn != 0))
            return;
        program.noteReturn = on;
        ArrangeAllocation();
        Notify(index);
        break;
    default:
        return;
    }
    ReturnWaitingNotes();
}

float PolyphonyEngine::getParameter(int index)
{
    EngineGuard guard(*this);
    const VSTPluginProgram& program = Current();
    switch (index) {
    case kParamPolyphony:
        return static_cast<float>(kova::midi::polyphonyLimit(program.polyphony)) * kPolyphonyStep;
    case kParamKill:
        return program.kill ? 1.0f : 0.0f;
    case kParamPanic:
        return panicState ? 1.0f : 0.0f;
    case kParamPresetSwitching:
        return program.presetSwitching ? 1.0f : 0.0f;
    case kParamMidiThrough:
        return program.midiThrough ? 1.0f : 0.0f;
    case kParamSustainPedal:
        return program.sustainPedal ? 1.0f : 0.0f;
    case kParamPolyCC:
        return static_cast<float>(program.polyCC) * kControllerStep;
    case kParamKillCC:
        return static_cast<float>(program.killCC) * kControllerStep;
    case kParamPanicCC:
        return static_cast<float>(program.panicCC) * kControllerStep;
    case kParamActiveNotes:
        return static_cast<float>(activeCount);
    case kParamStealPolicy:
        return static_cast<float>(kova::midi::stealPolicyOf(program.stealPolicy)) * 0.25f;
    case kParamPerChannel:
        return program.perChannel ? 1.0f : 0.0f;
    case kParamNoteReturn:
        return program.noteReturn ? 1.0f : 0.0f;
    default:
        return 0.0f;
    }
}

void PolyphonyEngine::Read(Readings& readings)
{
    EngineGuard guard(*this);
    for (int index = 0; index <= kParamSustainPedal; ++index)
        readings.parameters[index] = getParameter(index);
    for (int index = kParamStealPolicy; index <= kParamNoteReturn; ++index)
        readings.parameters[index] = getParameter(index);
    readings.program = curProgram;
    readings.activeNotes = activeCount;
}

void PolyphonyEngine::getParameterName(int index, char* text)
{
    if (!text)
        return;
    const char* name = "empty";
    if (index >= 0 && index < kNamedParameters)
        name = kParameterNames[index];
    else if (index >= kParamStealPolicy && index <= kParamNoteReturn)
        name = kOptionNames[index - kParamStealPolicy];
    CopyText(text, name, kMaxParameterText);
}

void PolyphonyEngine::getParameterDisplay(int index, char* text)
{
    if (!text)
        return;
    if (index == kParamPolyphony) {
        int polyphony;
        {
            EngineGuard guard(*this);
            polyphony = kova::midi::polyphonyLimit(Current().polyphony);
        }
        std::snprintf(text, kMaxParameterText, "%i", polyphony);
    } else if (index == kParamStealPolicy) {
        int policy;
        {
            EngineGuard guard(*this);
            policy = kova::midi::stealPolicyOf(Current().stealPolicy);
        }
        CopyText(text, kStealPolicyNames[policy], kMaxParameterText);
    } else if ((index >= kParamKill && index <= kParamSustainPedal) || index == kParamPerChannel ||
               index == kParamNoteReturn) {
        CopyText(text, getParameter(index) > kDisplayOnAbove ? "On" : "Off", kMaxParameterText);
    } else {
        *text = 0;
    }
}

void PolyphonyEngine::getParameterLabel(int index, char* text)
{
    (void)index;
    if (text)
        *text = 0;
}

// --- Programs and chunks ----------------------------------------------------------

int PolyphonyEngine::getProgram()
{
    EngineGuard guard(*this);
    return curProgram;
}

void PolyphonyEngine::setProgram(int program)
{
    if (program < 0 || program >= VSTPluginProgramBank::kPrograms)
        return;
    {
        EngineGuard guard(*this);
        const int old = Current().polyphony;
        const bool perChannel = Current().perChannel != 0;
        curProgram = program;
        ArrangeAllocation();
        LowerLimit(old, perChannel && Current().perChannel == 0);
        ReleasePedalsUnlessOn();
        ReturnWaitingNotes();
    }
    NotifyAll();
}

void PolyphonyEngine::setProgramName(const char* name)
{
    if (!name)
        return;
    {
        // Longer names keep their first 47 characters; the caller's string
        // is left as it is (it may be read-only).
        EngineGuard guard(*this);
        CopyText(Current().name, name, kMaxProgramName);
    }
    NotifyAll();
}

void PolyphonyEngine::getProgramName(char* name)
{
    if (!name)
        return;
    EngineGuard guard(*this);
    // A name loaded from a chunk may lack its terminator.
    CopyText(name, Current().name, kMaxProgramName);
}

bool PolyphonyEngine::getProgramNameIndexed(int index, char* text)
{
    if (!text || index < 0 || index >= VSTPluginProgramBank::kPrograms)
        return false;
    EngineGuard guard(*this);
    CopyText(text, bank.programs[index].name, kMaxProgramName);
    return true;
}

int32_t PolyphonyEngine::getChunk(void** data, bool isPreset)
{
    if (!data)
        return 0;
    // The host reads the bytes after the lock is released, while the audio
    // thread may change the records (remote controllers): it gets a copy.
    EngineGuard guard(*this);
    *data = chunkCopy;
    if (isPreset) {
        chunkCopy[0] = Current();
        return VSTPluginProgramBank::kProgramSize;
    }
    std::memcpy(chunkCopy, bank.programs, sizeof chunkCopy);
    return VSTPluginProgramBank::kBankSize;
}

void PolyphonyEngine::CopyBank(VSTPluginProgram (&records)[kPrograms], int32_t& program)
{
    EngineGuard guard(*this);
    std::memcpy(records, bank.programs, sizeof records);
    program = curProgram;
}

ChunkLoad PolyphonyEngine::setChunk(const void* data, int32_t byteSize, bool isPreset)
{
    if (!data || byteSize < 0)
        return ChunkLoad::Refused;
    EngineGuard guard(*this);
    const ChunkLoad result =
        isPreset ? bank.readProgram(data, byteSize, curProgram) : bank.readBank(data, byteSize);
    if (result != ChunkLoad::Refused)
        setProgram(curProgram);
    return result;
}
