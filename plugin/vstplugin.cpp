#include "plugin/vstplugin.h"

#include <pthread.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "plugin/plugineditor.h"

using kova::midi::midievent;

namespace {

const char* const kParameterNames[] = {"OP: Polyphony", "OP: Kill", "AC: Panic", "OP: Presets Switching",
                                       "OP: Midi Through"};
constexpr int kNamedParameters = sizeof kParameterNames / sizeof kParameterNames[0];

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

uintptr_t ThisThread()
{
    return static_cast<uintptr_t>(pthread_self());
}

}  // namespace

// Holds engineLock for its scope unless this thread holds it already.
class VSTPlugin::EngineGuard {
public:
    explicit EngineGuard(VSTPlugin& plugin)
        : plugin(plugin), self(ThisThread()),
          nested(plugin.engineOwner.load(std::memory_order_relaxed) == self)
    {
        if (!nested) {
            plugin.engineLock.Lock();
            plugin.engineOwner.store(self, std::memory_order_relaxed);
        }
    }
    ~EngineGuard()
    {
        if (!nested) {
            plugin.engineOwner.store(0, std::memory_order_relaxed);
            plugin.engineLock.Unlock();
        }
    }
    EngineGuard(const EngineGuard&) = delete;
    EngineGuard& operator=(const EngineGuard&) = delete;

private:
    VSTPlugin& plugin;
    const uintptr_t self;
    const bool nested;
};

static_assert(sizeof(midievent) == sizeof(VstMidiEvent) &&
                  offsetof(midievent, deltaFrames) == offsetof(VstMidiEvent, deltaFrames) &&
                  offsetof(midievent, midiData) == offsetof(VstMidiEvent, midiData),
              "queued events are handed to the host as they are");

VSTPlugin::VSTPlugin(audioMasterCallback audioMaster, int& status) : SPlugin(audioMaster, status)
{
    static_assert(offsetof(OutputEvents, events) == offsetof(VstEvents, events),
                  "the output block keeps the host's header layout");
    outEvents.numEvents = 0;
    outEvents.reserved = 0;
    for (int i = 0; i < kOutQueueSize; ++i)
        outEvents.events[i] = nullptr;
}

VSTPlugin::~VSTPlugin() = default;

// --- Audio thread -----------------------------------------------------------

VstInt32 VSTPlugin::processEvents(VstEvents* events)
{
    if (!events)
        return 0;
    kova::midi::midiqueue<kInQueueSize>::writer queue(inQueue);
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (!event || event->type != kVstMidiType)
            continue;
        queue.pushBytes(event);  // the same 32-byte layout
    }
    queue.commit();
    return 0;
}

// Drains the MIDI the host queued, then tells an open editor the count of
// sounding notes. Small, so that a block without MIDI costs next to nothing.
inline void VSTPlugin::midiInProcess()
{
    if (!inQueue.empty())
        DrainInput();
    Notify(kParamActiveNotes);
}

void VSTPlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (suspended.load(std::memory_order_acquire))
        return;
    midiInProcess();
    if (inputs && outputs && sampleFrames > 0) {
        for (int c = 0; c < tessaro::kNumOutputs; ++c)
            if (inputs[c] && outputs[c] && inputs[c] != outputs[c])
                std::memcpy(outputs[c], inputs[c], sizeof(float) * static_cast<size_t>(sampleFrames));
    }
    // Other threads push to outQueue under the lock; its count can be read
    // without it. An event pushed just after this test leaves at the next
    // flush, as it would if it had been pushed a moment later.
    if (!outQueue.empty())
        FlushOutput();
}

void VSTPlugin::process(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (suspended.load(std::memory_order_acquire))
        return;
    midiInProcess();
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
    if (!outQueue.empty())
        FlushOutput();
}

void VSTPlugin::DrainInput()
{
    EngineGuard guard(*this);
    // Notes, the bulk of the traffic, are handled with the note count, the
    // age counter, the options and the queue positions held in locals.
    // Everything else goes through the public operations, which read and
    // change the members, so the locals are stored before and reloaded after.
    kova::midi::midiqueue<kInQueueSize>::reader in(inQueue);
    kova::midi::midiqueue<kOutQueueSize>::writer out(outQueue);
    int count = activeCount;
    float age = ageCounter;
    int polyphony = Current().polyphony;
    bool kill = Current().kill != 0;

    int32_t length = 0;
    while (midievent* run = in.takeRun(length)) {
        for (midievent* next = run; next != run + length; ++next) {
            const midievent& event = *next;
            const int kind = event.Kind();
            if (kind == 0x90 && event.Data2() > 0) {
                kova::midi::midiNoteOnQueueAdvanced(event, &out, &polyphony, kill, activeNotes, &count, age,
                                                    kTableSize, noteIndex);
                continue;
            }
            if (kind == 0x80 || kind == 0x90) {  // a note-on with velocity 0 is a note-off
                kova::midi::midiNoteOffQueue(event, &out, activeNotes, &count, kTableSize, noteIndex);
                continue;
            }
            out.commit();
            activeCount = count;
            ageCounter = age;
            if (kind == 0xB0)
                HandleControlChange(event);
            else if (kind == 0xC0)
                HandleProgramChange(event);
            else if (Current().midiThrough)
                Forward(event);
            out.reload();
            count = activeCount;
            age = ageCounter;
            polyphony = Current().polyphony;
            kill = Current().kill != 0;
        }
    }
    out.commit();
    in.commit();
    activeCount = count;
    ageCounter = age;
}

void VSTPlugin::HandleControlChange(const midievent& event)
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
    if (!handled && Current().midiThrough)
        Forward(event);
}

void VSTPlugin::HandleProgramChange(const midievent& event)
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

void VSTPlugin::Forward(const midievent& event)
{
    outQueue.push(event);
}

void VSTPlugin::FlushOutput()
{
    VstInt32 count = 0;
    {
        EngineGuard guard(*this);
        // The host reads the events where they lie in the queue: lent slots
        // are left alone by pushes until they are given back below, so other
        // threads may go on queueing while the host reads, without a copy.
        count = outQueue.lend(outEvents.events);
        panicQueued = false;
    }
    if (count > 0) {
        outEvents.reserved = 0;
        outEvents.numEvents = count;
        sendVstEventsToHost(reinterpret_cast<VstEvents*>(&outEvents));
    }
    outQueue.giveBack();
}

// --- State changes ------------------------------------------------------------

void VSTPlugin::suspend()
{
    SPlugin::suspend();
    EngineGuard guard(*this);
    kova::midi::clearNotes(activeNotes, kTableSize);
    activeCount = 0;
    noteIndex.Clear();
    learnMode = false;
}

void VSTPlugin::resume()
{
    SPlugin::resume();
}

void VSTPlugin::setSampleRate(float rate)
{
    if (suspended.load()) {
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

void VSTPlugin::EndNotesAbove(int polyphony)
{
    kova::midi::endNotesAbove(polyphony, &outQueue, activeNotes, &activeCount, noteIndex);
}

void VSTPlugin::SendPanic()
{
    // Identical panic messages already waiting for this block's flush make
    // a second set pointless (and would let outQueue overflow).
    if (panicQueued)
        return;
    for (int channel = 0; channel < 16; ++channel) {
        midievent soundOff;
        soundOff.SetMessage(0xB0 | channel, 120, 0);
        outQueue.push(soundOff);
        midievent bendCentre;
        bendCentre.SetMessage(0xE0 | channel, 0, 64);
        outQueue.push(bendCentre);
    }
    panicQueued = true;
}

void VSTPlugin::Notify(long index)
{
    if (SPluginEditor* e = OpenEditor())
        e->postUpdateIndexed(index);
}

void VSTPlugin::NotifyAll()
{
    if (SPluginEditor* e = OpenEditor())
        e->postUpdate();
}

// --- Parameters ---------------------------------------------------------------

void VSTPlugin::setParameter(VstInt32 index, float value)
{
    if (!(value >= 0.0f && value <= 1.0f)) // also refuses NaN
        return;
    EngineGuard guard(*this);
    VSTPluginProgram& program = Current();
    const bool on = value > 0.5f;

    switch (index) {
    case kParamPolyphony: {
        const int old = program.polyphony;
        const int polyphony = RoundHalfUp(value, 127);
        program.polyphony = polyphony;
        if (polyphony < old && polyphony < activeCount)
            EndNotesAbove(polyphony);
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
    default:
        break;
    }
}

float VSTPlugin::getParameter(VstInt32 index)
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
    case kParamPolyCC:
        return static_cast<float>(program.polyCC) * kControllerStep;
    case kParamKillCC:
        return static_cast<float>(program.killCC) * kControllerStep;
    case kParamPanicCC:
        return static_cast<float>(program.panicCC) * kControllerStep;
    case kParamActiveNotes:
        return static_cast<float>(activeCount);
    default:
        return 0.0f;
    }
}

void VSTPlugin::getParameterName(VstInt32 index, char* text)
{
    if (!text)
        return;
    CopyText(text, index >= 0 && index < kNamedParameters ? kParameterNames[index] : "empty",
             kMaxParameterText);
}

void VSTPlugin::getParameterDisplay(VstInt32 index, char* text)
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
    } else if (index >= kParamKill && index <= kParamMidiThrough) {
        CopyText(text, getParameter(index) > kDisplayOnAbove ? "On" : "Off", kMaxParameterText);
    } else {
        *text = 0;
    }
}

void VSTPlugin::getParameterLabel(VstInt32 index, char* text)
{
    (void)index;
    if (text)
        *text = 0;
}

// --- Programs and chunks ----------------------------------------------------------

VstInt32 VSTPlugin::getProgram()
{
    EngineGuard guard(*this);
    return curProgram;
}

void VSTPlugin::setProgram(VstInt32 program)
{
    if (program < 0 || program >= VSTPluginProgramBank::kPrograms)
        return;
    {
        EngineGuard guard(*this);
        const int old = Current().polyphony;
        curProgram = program;
        const int polyphony = Current().polyphony;
        if (polyphony < old && polyphony < activeCount)
            EndNotesAbove(polyphony);
    }
    NotifyAll();
}

void VSTPlugin::setProgramName(char* name)
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

void VSTPlugin::getProgramName(char* name)
{
    if (!name)
        return;
    EngineGuard guard(*this);
    // A name loaded from a chunk may lack its terminator.
    CopyText(name, Current().name, kMaxProgramName);
}

bool VSTPlugin::getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text)
{
    (void)category;
    if (!text || index < 0 || index >= VSTPluginProgramBank::kPrograms)
        return false;
    EngineGuard guard(*this);
    CopyText(text, bank.programs[index].name, kMaxProgramName);
    return true;
}

VstInt32 VSTPlugin::getChunk(void** data, bool isPreset)
{
    if (!data)
        return 0;
    EngineGuard guard(*this);
    if (isPreset) {
        *data = &Current();
        return VSTPluginProgramBank::kProgramSize;
    }
    *data = bank.programs;
    return VSTPluginProgramBank::kBankSize;
}

VstInt32 VSTPlugin::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    if (!data || byteSize < 0)
        return 0;
    bool newerVersion = false;
    int result;
    {
        EngineGuard guard(*this);
        result = isPreset ? bank.readProgram(data, byteSize, curProgram, &newerVersion)
                          : bank.readBank(data, byteSize, &newerVersion);
        if (result == 1)
            setProgram(curProgram);
    }
    if (newerVersion)
        VSTPluginProgramBank::ShowNewerVersionMessage(!isPreset);
    return result;
}
