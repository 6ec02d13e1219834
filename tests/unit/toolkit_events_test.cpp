// Control events: channels, listeners, delivery order and locking.
#include <gtest/gtest.h>

#include <vector>

#include "kova/gui/control.h"
#include "kova/gui/event.h"
#include "kova/threading/mutex.h"

using kova::gui::SControl;
using kova::gui::SEvent;

namespace {

// A listener that writes down what it hears.
class Ear : public SControl {
public:
    void ParseEvent(SEvent* ev) override
    {
        heard.push_back(ev->value);
        types.push_back(ev->type);
        if (onHear)
            onHear(this);
    }
    std::vector<int> heard;
    std::vector<int> types;
    std::function<void(Ear*)> onHear;
};

class CountingLock : public kova::threading::SMutexID {
public:
    int Lock() override
    {
        ++locks;
        return SMutexID::Lock();
    }
    int Unlock() override
    {
        ++unlocks;
        return SMutexID::Unlock();
    }
    int locks = 0;
    int unlocks = 0;
};

}  // namespace

TEST(ToolkitEvents, AnEventReachesEveryListenerOfItsChannelInOrder)
{
    SControl knob;
    Ear a, b, other;
    knob.AddEventListener(&a, 5);
    knob.AddEventListener(&b, 5);
    knob.AddEventListener(&other, 3);
    EXPECT_EQ(knob.SendEvent(5, SEvent::KindValue, 64, 0.5f, nullptr, &knob, nullptr), 2u);
    EXPECT_EQ(a.heard, std::vector<int>{64});
    EXPECT_EQ(b.heard, std::vector<int>{64});
    EXPECT_TRUE(other.heard.empty());
}

TEST(ToolkitEvents, ChannelsOutsideZeroToTwelveAreIgnored)
{
    SControl knob;
    Ear a;
    EXPECT_EQ(knob.AddEventListener(&a, 13), 13);
    EXPECT_EQ(knob.AddEventListener(&a, -1), -1);
    EXPECT_EQ(knob.SendEvent(13, 1, 1, 0, nullptr, &knob, nullptr), 0u);
    SEvent ev;
    ev.type = 13;
    EXPECT_EQ(knob.SendEvent(&ev), 0u);
    EXPECT_EQ(knob.SendEvent(nullptr), 0u);
    EXPECT_FALSE(knob.EventHandled(13));
    EXPECT_TRUE(a.heard.empty());
}

TEST(ToolkitEvents, RegisteringTwiceKeepsOneEntryAtItsPosition)
{
    SControl knob;
    Ear a, b;
    EXPECT_EQ(knob.AddEventListener(&a, 3), 0);
    EXPECT_EQ(knob.AddEventListener(&b, 3), 1);
    EXPECT_EQ(knob.AddEventListener(&a, 3), 0);
    EXPECT_EQ(knob.AddEventListener(nullptr, 3), 3);
    EXPECT_EQ(knob.SendEvent(3, 1, 1, 0, nullptr, &knob, nullptr), 2u);
    EXPECT_EQ(a.heard.size(), 1u);
}

TEST(ToolkitEvents, RemovingAListenerThatNeverListenedChangesNothing)
{
    SControl knob;
    Ear a, stranger;
    knob.AddEventListener(&a, 3);
    knob.RemoveEventListener(&stranger, 3);
    knob.RemoveEventListener(&a, 99);
    EXPECT_EQ(knob.SendEvent(3, 1, 7, 0, nullptr, &knob, nullptr), 1u);
    knob.RemoveEventListener(&a, 3);
    EXPECT_EQ(knob.SendEvent(3, 1, 7, 0, nullptr, &knob, nullptr), 0u);
}

TEST(ToolkitEvents, AChannelThatWasNeverEnabledStillDelivers)
{
    SControl knob;
    Ear a;
    knob.AddEventListener(&a, 9);
    EXPECT_FALSE(knob.EventHandled(9));
    EXPECT_EQ(knob.SendEvent(9, 1, 3, 0, nullptr, &knob, nullptr), 1u);
    knob.EnableEventHandler(9);
    EXPECT_TRUE(knob.EventHandled(9));
    knob.DisableEventHandler(9);
    EXPECT_FALSE(knob.EventHandled(9));
}

TEST(ToolkitEvents, TheLockIsTakenOncePerListenerAndNotAtAllWithoutListeners)
{
    SControl knob;
    Ear a, b;
    CountingLock lock;
    EXPECT_EQ(knob.SendEvent(5, 1, 1, 0, nullptr, &knob, &lock), 0u);
    EXPECT_EQ(lock.locks, 0);
    knob.AddEventListener(&a, 5);
    knob.AddEventListener(&b, 5);
    a.onHear = [&](Ear*) { EXPECT_TRUE(lock.IsLocked()); };
    knob.SendEvent(5, 1, 1, 0, nullptr, &knob, &lock);
    EXPECT_EQ(lock.locks, 2);
    EXPECT_EQ(lock.unlocks, 2);
    EXPECT_FALSE(lock.IsLocked());
}

TEST(ToolkitEvents, AListenerAddedDuringTheCallHearsTheSameEvent)
{
    SControl knob;
    Ear a, late;
    knob.AddEventListener(&a, 3);
    a.onHear = [&](Ear*) { knob.AddEventListener(&late, 3); };
    EXPECT_EQ(knob.SendEvent(3, 1, 42, 0, nullptr, &knob, nullptr), 2u);
    EXPECT_EQ(late.heard, std::vector<int>{42});
}

TEST(ToolkitEvents, TheRecordCarriesEveryArgumentAndPrepareLeavesTheTimeAlone)
{
    SControl knob;
    int payload = 5;
    SEvent ev;
    ev.time = 1234;
    EXPECT_EQ(knob.PrepareEvent(ev, 11, SEvent::KindData, 0, 2.5f, &payload, &knob, nullptr), &payload);
    EXPECT_EQ(ev.type, 11);
    EXPECT_EQ(ev.kind, 4);
    EXPECT_EQ(ev.fvalue, 2.5f);
    EXPECT_EQ(ev.sender, &knob);
    EXPECT_EQ(ev.time, 1234);
    SEvent fresh;
    EXPECT_EQ(fresh.type, -1);
    EXPECT_EQ(fresh.kind, 0);
    EXPECT_EQ(fresh.sender, nullptr);
}
