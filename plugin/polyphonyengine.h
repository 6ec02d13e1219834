// The polyphony engine, free of any host interface and of the GUI. Per audio
// block it drains the MIDI queued for it through the note table (admit, drop
// or steal), remote controllers and program changes, and keeps every
// resulting event for the host adapter to hand over in one block. It holds
// the parameters with MIDI learn, the 32 programs and their chunks, and the
// panic. It needs no display and shows nothing: a chunk from a newer
// version is reported as a result, and changes are reported to a listener.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "kova/midi/midievent.h"
#include "kova/midi/midiqueue.h"
#include "kova/midi/noteinfo.h"
#include "kova/midi/notetable.h"
#include "kova/midi/sustainpedals.h"
#include "kova/midi/voiceallocator.h"
#include "kova/threading/mutex.h"
#include "plugin/enginelistener.h"
#include "plugin/engineparameters.h"
#include "plugin/programbank.h"

// How engine state is kept free of races.
//
// engineLock (a spin lock that never blocks in the kernel) is the single
// guard of all engine state: the note table with its count, counter and
// index, the allocator with its waiting notes, the pedal states, outQueue
// with the count of inputs since the flush, the program records and
// curProgram, the chunk copy, the panic state and the consumption of the
// learn flags. The audio thread takes it for the drain (also when the input
// writer finds the queue full) and for lending the output; every public
// operation that reads or
// writes that state from another thread (parameters, programs, names,
// chunks, suspend) takes it too, through EngineGuard.
//
// The drain changes parameters and programs through the same public
// operations (remote controllers, learn, program changes) while it already
// holds the lock, so the guard is re-entrant per thread: the owner's thread
// id is stored atomically after locking and cleared before unlocking, and a
// guard on the owning thread does nothing. (No thread_local: thread-local
// storage in a dlopened object may allocate on first use.)
//
// Nothing slow happens under the lock: no X call, no dialog (a chunk from a
// newer version is only reported; the adapter tells the user after the lock
// is released), no allocation, no host callback. The listener is called
// on any thread, the audio thread included, often under the lock, so it
// only records what changed.
// inQueue belongs to the audio thread alone (the input writer and the
// drain) and needs no lock. The learn flags are atomics because the editor
// arms them (ArmLearn) from its own thread.
class PolyphonyEngine {
public:
    static constexpr int kTableSize = 128;
    static constexpr int kInQueueSize = 256;
    static constexpr int kPanicEvents = 32; // All Sound Off and pitch-bend centre on 16 channels
    // Inputs handled in full between two flushes. The input queue is
    // drained whenever it fills, so a block of up to this many events gives
    // the same output as the same events split over several blocks. Past
    // it, until the next flush, only what ends sounding notes is handled:
    // note-offs, pedals, All Notes Off, a lowered limit, program changes;
    // note-ons and forwarded messages are dropped.
    static constexpr int kBlockEvents = 4096;
    // Room for everything the engine can make between two flushes, so no
    // event is lost: each of the first kBlockEvents inputs gives at most one
    // event besides note-offs and returned note-ons (a note-on, or a
    // forwarded message), later ones none. Returned note-ons number at most
    // 128 per flush (voiceallocator::maxReturnsPerFlush). Every note-off ends
    // a note in the table, and each note ends once, so note-offs end at most
    // the notes sounding at the last flush (128), those admitted since (at
    // most one per input handled in full, kBlockEvents) and those returned
    // since (128). That holds for the note-offs of stealing, of a lower
    // limit, of All Notes Off and All Sound Off, of a lifted pedal and of the
    // pedal option switched off: each ends a note still in the table, and a
    // note held by the pedal sends nothing at its own note-off. A panic adds
    // its 32 events at most once per flush (a second panic before the flush
    // repeats what is queued). The share of returns is what keeps this
    // finite: without it a limit lowered and raised again and again before
    // one flush would end and return the same notes each time, up to 127
    // note-offs and 127 note-ons a round, with no input to count them
    // against.
    static constexpr int kOutQueueSize = kBlockEvents * 2 + kTableSize * 3 + kPanicEvents; // 8608
    static constexpr int kPrograms = VSTPluginProgramBank::kPrograms;

    using InputQueue = kova::midi::midiqueue<kInQueueSize>;
    using OutputQueue = kova::midi::midiqueue<kOutQueueSize>;

    PolyphonyEngine() = default;
    PolyphonyEngine(const PolyphonyEngine&) = delete;
    PolyphonyEngine& operator=(const PolyphonyEngine&) = delete;

    // Told of every change from then on; null tells nobody. Set before the
    // engine is used from more than one thread.
    void SetListener(SIEngineListener* l) { listener = l; }

    // --- Audio thread -------------------------------------------------------

    // A run of pushes onto the input queue, in the host's 32-byte MIDI
    // event layout; a full queue is drained on the spot (audio thread, as
    // ProcessInput). The rest become visible at commit() and wait for the
    // next ProcessInput.
    class InputWriter {
    public:
        explicit InputWriter(PolyphonyEngine& engine) : engine(engine), queue(engine.inQueue) {}

        // Returns the queued copy, which the caller may still change.
        kova::midi::midievent* pushBytes(const void* event)
        {
            if (kova::midi::midievent* queued = queue.pushBytes(event))
                return queued;
            return DrainAndPush(event);
        }
        void push(const kova::midi::midievent& event) { pushBytes(&event); }
        void commit() { queue.commit(); }

    private:
        // Out of the way of the loop that pushes.
        __attribute__((noinline, cold)) kova::midi::midievent* DrainAndPush(const void* event)
        {
            queue.commit();
            engine.DrainInput();
            queue.reload();
            return queue.pushBytes(event);
        }

        PolyphonyEngine& engine;
        InputQueue::writer queue;
    };
    InputWriter Input() { return InputWriter(*this); }

    // Drains the queued input, then tells the listener the count of sounding
    // notes. Small, so that a block without MIDI costs next to nothing.
    void ProcessInput()
    {
        if (!inQueue.empty() || returnsHeldBack.load(std::memory_order_relaxed))
            DrainInput();
        Notify(kParamActiveNotes);
    }

    // Whether events wait for the host. Other threads push under the lock;
    // the count can be read without it. An event pushed just after this test
    // leaves with the next block, as if it had been pushed a moment later.
    bool HasOutput() const { return !outQueue.empty(); }

    // Empties the output without copying: writes the address of every
    // waiting event, oldest first, into slots (room for kOutQueueSize) and
    // returns their number. The events stay valid and untouched while other
    // threads go on queueing, until GiveBackOutput(). Starts a new count of
    // inputs handled in full.
    template <typename Pointer>
    int32_t LendOutput(Pointer* slots)
    {
        EngineGuard guard(*this);
        BeginFlush();
        return outQueue.lend(slots);
    }
    // The same as runs of events side by side, for an adapter that copies
    // them anyway.
    OutputQueue::runs LendOutputRuns()
    {
        EngineGuard guard(*this);
        BeginFlush();
        return outQueue.lendRuns();
    }
    void GiveBackOutput() { outQueue.giveBack(); }

    // --- Any thread ---------------------------------------------------------

    // Forgets the sounding notes, the pedal states and the notes the pedals
    // held (the host stopped processing) and ends learning; the armed learn
    // targets stay.
    void suspend();

    // Values outside 0 to 1 (and NaN) are ignored. Switching the sustain
    // pedal option off ends every note a pedal holds at once. Every change
    // may let waiting notes return (at frame 0, or at the frame of the
    // input event that made it).
    void setParameter(int index, float value);
    float getParameter(int index);
    // At most 63 characters and the terminator; "empty" for 6-10 and beyond
    // the allocation options.
    void getParameterName(int index, char* text);
    // The polyphony as a number, the steal policy by name, the switches as
    // "On" or "Off", else empty.
    void getParameterDisplay(int index, char* text);
    // No parameter has a unit: always empty.
    void getParameterLabel(int index, char* text);

    // The values a host shows, read together under one lock: the six host
    // parameters and the allocation options (as getParameter; the entries
    // of 6-10 are not filled), the program and the sounding notes.
    struct Readings {
        float parameters[kParamNoteReturn + 1];
        int program;
        int activeNotes;
    };
    void Read(Readings& readings);

    int getProgram();
    // Numbers outside the bank are ignored. A lower limit (or Per Channel
    // switched off) ends the notes the new program's policy gives up first,
    // then, if the program's pedal option is off, the notes a pedal holds
    // end too.
    void setProgram(int program);
    // Keeps the first 47 characters; the caller's text is left alone.
    void setProgramName(const char* name);
    // At most 47 characters and the terminator.
    void getProgramName(char* name);
    // False, and text untouched, outside the bank.
    bool getProgramNameIndexed(int index, char* text);

    // A copy of the current program's record, or of the whole bank, taken
    // under the lock; returns the size in bytes. The copy stays as it is
    // until the next getChunk, whatever changes meanwhile.
    int32_t getChunk(void** data, bool isPreset);
    // A copy of the whole bank and the number of the current program, taken
    // together under the lock, so that no change on another thread (a remote
    // controller, a program change) tears them apart.
    void CopyBank(VSTPluginProgram (&records)[kPrograms], int32_t& program);
    // Loads a program chunk into the current program, or the bank.
    ChunkLoad setChunk(const void* data, int32_t byteSize, bool isPreset);

    // MIDI learn: while learning runs, the next control change is assigned
    // to every armed target, then learning ends (index 9 is posted). Arming
    // and learning are separate, so that the editor can arm targets one by
    // one and start learning once.
    void ArmLearn(LearnTarget target, bool armed) { LearnFlag(target).store(armed); }
    bool LearnArmed(LearnTarget target) const
    {
        return const_cast<PolyphonyEngine*>(this)->LearnFlag(target).load();
    }
    void SetLearning(bool on) { learnMode.store(on); }
    bool Learning() const { return learnMode.load(); }

private:
    std::atomic<bool>& LearnFlag(LearnTarget target)
    {
        switch (target) {
        case LearnTarget::Polyphony: return learnPolyCC;
        case LearnTarget::Kill: return learnKillCC;
        default: return learnPanicCC;
        }
    }

    // Atomics: the editor arms them from its thread, the drain consumes them.
    std::atomic<bool> learnMode{false};
    std::atomic<bool> learnPolyCC{false};
    std::atomic<bool> learnKillCC{false};
    std::atomic<bool> learnPanicCC{false};

    // Holds engineLock for its scope unless this thread holds it already.
    class EngineGuard {
    public:
        explicit EngineGuard(PolyphonyEngine& engine)
            : engine(engine), self(static_cast<uintptr_t>(pthread_self())),
              nested(engine.engineOwner.load(std::memory_order_relaxed) == self)
        {
            if (!nested) {
                engine.engineLock.Lock();
                engine.engineOwner.store(self, std::memory_order_relaxed);
            }
        }
        ~EngineGuard()
        {
            if (!nested) {
                engine.engineOwner.store(0, std::memory_order_relaxed);
                engine.engineLock.Unlock();
            }
        }
        EngineGuard(const EngineGuard&) = delete;
        EngineGuard& operator=(const EngineGuard&) = delete;

    private:
        PolyphonyEngine& engine;
        const uintptr_t self;
        const bool nested;
    };

    VSTPluginProgram& Current() { return bank.programs[curProgram]; }

    // Under the lock, as the output is lent: what counts per flush starts
    // again.
    void BeginFlush()
    {
        panicQueued = false;
        inputsSinceFlush = 0;
        allocator->NewFlush();
        returnsHeldBack.store(allocating && allocator->HasRoom(Current().polyphony), std::memory_order_relaxed);
    }

    void DrainInput();
    // The notes from next on through the allocator, up to the first other
    // event (returned) or end; note-ons from fullEnd on are dropped. Apart
    // from DrainInput, so that the plain path's loop keeps its registers.
    __attribute__((noinline)) kova::midi::midievent* AllocateNotes(kova::midi::midievent* next,
                                                                   kova::midi::midievent* end,
                                                                   const kova::midi::midievent* fullEnd,
                                                                   int polyphony, bool kill, uint32_t pedalsDown);
    // Its loop for one steal policy.
    template <int Policy>
    kova::midi::midievent* AllocateNotesBy(kova::midi::midievent* next, kova::midi::midievent* end,
                                           const kova::midi::midievent* fullEnd, int polyphony, bool kill,
                                           uint32_t pedalsDown);
    void HandleControlChange(const kova::midi::midievent& event);
    void HandleProgramChange(const kova::midi::midievent& event);
    void Forward(const kova::midi::midievent& event);
    void SendPanic();
    // Lowers to `polyphony` after the limit went from `oldPolyphony` or
    // Per Channel went off: ends the oldest notes (or those with the
    // smallest keys) until the total, or with Per Channel every channel's
    // count, is within it.
    void LowerLimit(int oldPolyphony, bool perChannelWentOff);
    // Brings the allocator in line with the current program's options.
    void ArrangeAllocation();
    // Lets waiting notes with room sound again, at ownEventsAt.
    void ReturnWaitingNotes();
    // After notes ended through the note index alone.
    void NotesEndedElsewhere()
    {
        if (allocating)
            allocator->DropEnded();
    }
    // With the current program's pedal option off: ends every note a pedal
    // holds and lifts the pedals.
    void ReleasePedalsUnlessOn();
    void Notify(int index)
    {
        if (listener)
            listener->ParameterChanged(index);
    }
    void NotifyAll()
    {
        if (listener)
            listener->EverythingChanged();
    }

    InputQueue inQueue;
    OutputQueue outQueue;
    kova::threading::SMutexID engineLock;
    std::atomic<uintptr_t> engineOwner{0};

    kova::midi::noteinfo activeNotes[kTableSize];
    int activeCount = 0;
    float ageCounter = 0.0f;
    kova::midi::noteindex noteIndex;
    // The pedals as the limiter sees them; the notes they hold are marked
    // in activeNotes. With the option off every pedal is up.
    kova::midi::sustainpedals pedals;

    // Inputs drained since the last flush, at most kBlockEvents.
    int32_t inputsSinceFlush = 0;
    // Set while the drain handles an input past kBlockEvents: nothing is
    // forwarded.
    bool onlyEndNotes = false;

    bool panicState = false;
    bool panicQueued = false; // panic events wait in outQueue for the flush
    // The allocator is used only while the current program sets one of its
    // options; otherwise the plain note table operations do the work, and
    // it is arranged afresh when next needed.
    bool allocating = false;
    // Waiting notes found room but the flush's share of returns was used up:
    // the next block returns them even without input. Written under the
    // lock, read by ProcessInput without it.
    std::atomic<bool> returnsHeldBack{false};
    // deltaFrames of the events the engine makes itself (ended notes, the
    // panic): while the drain handles an input event, that event's, so
    // that they keep the order of the block; else 0.
    int32_t ownEventsAt = 0;

    int curProgram = 0;
    VSTPluginProgramBank bank;
    VSTPluginProgram chunkCopy[kPrograms] = {}; // what getChunk hands out
    SIEngineListener* listener = nullptr;

    // Steal policy, Per Channel and Note Return (see allocating). Its 17 KB
    // live apart, so that the engine's own layout stays compact.
    const std::unique_ptr<kova::midi::voiceallocator> allocator = std::make_unique<kova::midi::voiceallocator>(
        activeNotes, kTableSize, &activeCount, &ageCounter, &noteIndex);
};
