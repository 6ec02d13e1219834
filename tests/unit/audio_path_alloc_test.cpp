// The audio thread never allocates: the engine's input, drain and lent
// output are run through every kind of event while a counting global
// operator new watches.
#include <gtest/gtest.h>

#include "counting_allocator.h"
#include "plugin/polyphonyengine.h"

namespace {

using kova::midi::midievent;

int eventsSent = 0;
midievent* lent[PolyphonyEngine::kOutQueueSize];

struct Block {
    midievent events[300];
    int count = 0;

    void Add(int status, int data1, int data2)
    {
        midievent& e = events[count];
        e.SetMessage(status, data1, data2);
        e.deltaFrames = count % 64;
        ++count;
    }
};

// One audio block as an adapter runs it: queue, drain, lend and give back.
void RunBlock(PolyphonyEngine& engine, const Block& block)
{
    PolyphonyEngine::InputWriter queue = engine.Input();
    for (int i = 0; i < block.count; ++i)
        queue.push(block.events[i]);
    queue.commit();
    engine.ProcessInput();
    if (engine.HasOutput()) {
        eventsSent += engine.LendOutput(lent);
        engine.GiveBackOutput();
    }
}

}  // namespace

namespace {

TEST(AudioPath, TheAllocationCounterSeesAnAllocation)
{
    int* volatile probe = nullptr;  // volatile: the allocation cannot be optimised away
    EXPECT_EQ(counting_allocator::AllocationsDuring([&] { probe = new int(3); }), 1);
    delete probe;
}

TEST(AudioPath, ProcessingEveryKindOfEventAllocatesNothing)
{
    // Plain, then with the allocation options on in both programs used.
    for (const bool options : {false, true}) {
        SCOPED_TRACE(options ? "allocation options" : "plain");
        PolyphonyEngine* engine = new PolyphonyEngine;
        for (const int program : {7, 0}) {
            engine->setProgram(program);
            engine->setParameter(kParamStealPolicy, options ? 0.75f : 0.0f);
            engine->setParameter(kParamPerChannel, options ? 1.0f : 0.0f);
            engine->setParameter(kParamNoteReturn, options ? 1.0f : 0.0f);
        }
        engine->setParameter(kParamMidiThrough, 1.0f);
        engine->setParameter(kParamPresetSwitching, 1.0f);
        engine->setParameter(kParamKill, 1.0f);
        engine->setParameter(kParamPolyCC, 2 / 128.0f);
        engine->setParameter(kParamKillCC, 3 / 128.0f);
        engine->setParameter(kParamPanicCC, 4 / 128.0f);

        // Steals, note-offs, remote controllers, panic, a program change,
        // forwarded messages, then learn capture, and an overfull block.
        Block first;
        for (int i = 0; i < 40; ++i)
            first.Add(0x90, 30 + i, 100);
        for (int i = 0; i < 20; ++i)
            first.Add(0x80, 30 + i, 0);
        first.Add(0xB0, 1, 5);    // polyphony 5: ends notes
        first.Add(0xB0, 2, 127);  // kill on
        first.Add(0xB0, 3, 127);  // panic
        first.Add(0xC0, 7, 0);    // program 7
        first.Add(0xE0, 0, 64);
        first.Add(0xB0, 9, 1);
        Block second;
        second.Add(0xB0, 12, 3);  // learnt
        for (int i = 0; i < 299; ++i)
            second.Add(0x90 | (i % 16), i % 128, 1 + i % 127);

        eventsSent = 0;
        const long allocations = counting_allocator::AllocationsDuring([&] {
            RunBlock(*engine, first);
            engine->ArmLearn(LearnTarget::Polyphony, true);
            engine->SetLearning(true);
            RunBlock(*engine, second);
            RunBlock(*engine, first);
        });
        EXPECT_EQ(allocations, 0);
        EXPECT_GT(eventsSent, 100);
        EXPECT_EQ(engine->getProgram(), 7);
        EXPECT_EQ(engine->getParameter(kParamPolyCC), 13 / 128.0f);
        delete engine;
    }
}

}  // namespace
