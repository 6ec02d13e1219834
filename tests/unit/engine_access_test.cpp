// The panel's view of the engine (SEngineAccess): learn armed through it
// reaches the engine.
#include "engine_rig.h"
#include "plugin/engineaccess.h"

using namespace engine_test;

namespace {

// The values side alone, as both host adapters share it.
class Access final : public SEngineAccess {
public:
    using SEngineAccess::SEngineAccess;
    bool Suspended() const override { return false; }
    void UserChange(int, float) override {}
    void BeginGesture(int) override {}
    void EndGesture(int) override {}
};

using EngineAccess = Engine;

}  // namespace

TEST_F(EngineAccess, LearnArmedThroughTheAccessAssignsTheNextController)
{
    Access access(*engine);
    access.ArmLearn(LearnTarget::Kill, true);
    access.ArmLearn(LearnTarget::Panic, true);
    access.ArmLearn(LearnTarget::Panic, false);
    access.SetLearning(true);
    EXPECT_TRUE(access.LearnArmed(LearnTarget::Kill));
    EXPECT_FALSE(access.LearnArmed(LearnTarget::Panic));
    Block({CC(21, 64)});
    EXPECT_EQ(Program(0).killCC, 22);
    EXPECT_EQ(Program(0).panicCC, 0);
    EXPECT_FALSE(access.LearnArmed(LearnTarget::Kill));
    EXPECT_FALSE(engine->Learning());
}
