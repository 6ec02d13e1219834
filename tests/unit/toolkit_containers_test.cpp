// Windows that hold controls, and the exchange record, without a display.
#include <gtest/gtest.h>

#include "kova/gui/data.h"
#include "kova/gui/window.h"

using kova::gui::SControl;
using kova::gui::SData;
using kova::gui::SWindow;

namespace {

// A child whose deletion is visible to the test.
class Child : public SControl {
public:
    Child(unsigned int i, std::vector<unsigned>* log) : log(log) { SetId(i); }
    ~Child() override { log->push_back(GetId()); }
    std::vector<unsigned>* log;
};

}  // namespace

TEST(ToolkitContainers, AddingChildrenTracksTheLowestAndHighestIds)
{
    std::vector<unsigned> deleted;
    SWindow w;
    EXPECT_EQ(w.LowestId(), -1);
    EXPECT_EQ(w.Add(nullptr), 0);
    EXPECT_EQ(w.GetFlags() & SControl::HasChildren, 0);
    EXPECT_EQ(w.Add(new Child(5, &deleted)), 5);
    EXPECT_EQ(w.Add(new Child(2, &deleted)), 5);
    EXPECT_EQ(w.Add(new Child(9, &deleted)), 9);
    EXPECT_EQ(w.LowestId(), 2);
    EXPECT_NE(w.GetFlags() & SControl::HasChildren, 0);
    EXPECT_TRUE(w.IsSubcontrol(9u));
    EXPECT_FALSE(w.IsSubcontrol(7u));
}

TEST(ToolkitContainers, RemovingAStrangerChangesNothingAndTheLastRemovalClearsTheFlag)
{
    std::vector<unsigned> deleted;
    SWindow w;
    auto* a = new Child(1, &deleted);
    w.Add(a);
    Child stranger(7, &deleted);
    EXPECT_EQ(w.Remove(&stranger, true), 1);
    EXPECT_TRUE(deleted.empty());
    EXPECT_EQ(w.Remove(a, true), 0);
    EXPECT_EQ(deleted, std::vector<unsigned>{1});
    EXPECT_EQ(w.GetFlags() & SControl::HasChildren, 0);
}

TEST(ToolkitContainers, AWindowDeletesItsChildrenLastFirst)
{
    std::vector<unsigned> deleted;
    {
        SWindow w;
        w.Add(new Child(1, &deleted));
        w.Add(new Child(2, &deleted));
        w.Add(new Child(3, &deleted));
    }
    EXPECT_EQ(deleted, (std::vector<unsigned>{3, 2, 1}));
}

TEST(ToolkitContainers, NestedWindowsFindIdsDepthFirst)
{
    std::vector<unsigned> deleted;
    SWindow outer;
    auto* inner = new SWindow();
    inner->SetId(4);
    inner->Add(new Child(8, &deleted));
    outer.Add(inner);
    EXPECT_TRUE(outer.IsSubcontrol(8u));
    EXPECT_TRUE(outer.IsSubcontrol(4u));
}

TEST(ToolkitContainers, MaximisingClearsTheMarkAndRestoringSetsIt)
{
    SWindow w;
    w.WindowMaximize(false);
    EXPECT_NE(w.GetState() & SControl::MaximiseMark, 0u);
    w.WindowMaximize(true);
    EXPECT_EQ(w.GetState() & SControl::MaximiseMark, 0u);
}

TEST(ToolkitContainers, AControlIsEnabledOnlyWhileItsOwnersAre)
{
    SWindow grand;
    SWindow owner(nullptr, &grand, 1, "owner", 0, 0, 0, 10, 10, 0, false);
    SControl child(nullptr, &owner, 2, "child", 0, 0, 0, 5, 5, 0, false);
    EXPECT_EQ(child.GetState() & 0x9u, 0x9u);  // enabled and the reserved bit after construction
    EXPECT_TRUE(child.Enabled());
    grand.Enable(false);
    EXPECT_FALSE(owner.Enabled());
    EXPECT_FALSE(child.Enabled());
    child.SetInputWithoutOwner(true);
    EXPECT_TRUE(child.Enabled());
    child.Enable(false);
    EXPECT_FALSE(child.Enabled());
}

TEST(ToolkitContainers, ModifiersFollowTheXStateMask)
{
    SWindow w;
    w.CreateContexts();
    w.Modifiers(ShiftMask | Mod1Mask);
    bool* f = w.MouseState();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f[21]);
    EXPECT_FALSE(f[22]);
    EXPECT_TRUE(f[20]);
    w.KeyStateSet(ControlMask);
    EXPECT_EQ(w.KeyStateGet(), ControlMask);
    EXPECT_TRUE(f[22]);
    EXPECT_FALSE(f[21]);
}

TEST(ToolkitContainers, AWindowPassesItsKeyStateToItsChildren)
{
    SWindow w;
    w.CreateContexts();
    auto* c = new SWindow();
    c->CreateContexts();
    w.Add(c);
    w.KeyStateSet(ShiftMask | ControlMask);
    w.UpdateModifiers(0, false);
    EXPECT_EQ(c->KeyStateGet(), ShiftMask | ControlMask);
    EXPECT_TRUE(c->MouseState()[21]);
    EXPECT_TRUE(c->MouseState()[22]);
}

TEST(ToolkitContainers, MousePositionsRecordTheMovementOnce)
{
    SControl c;
    c.CreateContexts();
    c.MousePosition(10, 20);
    c.MousePosition(13, 18);
    EXPECT_EQ(c.GetInput()->dx, 3);
    EXPECT_EQ(c.GetInput()->dy, -2);
    EXPECT_TRUE(c.MouseState()[1]);
    c.MousePosition(13, 18);
    EXPECT_EQ(c.GetInput()->dx, 0);
    EXPECT_FALSE(c.MouseState()[1]);
}

TEST(ToolkitExchange, TextIsCopiedWithItsTerminatorAndEmptyTextIsNothing)
{
    SData t(SData::Text, "abc", 0);
    EXPECT_EQ(t.GetFormat(), SData::Text);
    EXPECT_EQ(t.GetSize(), 4);
    EXPECT_STREQ(t.GetTextData(), "abc");
    SData e(SData::Text, "", 0);
    EXPECT_EQ(e.GetFormat(), 0);
    EXPECT_EQ(e.GetSize(), 0);
}

TEST(ToolkitExchange, NumbersAreOnlyReadBackInTheirOwnFormat)
{
    int v = 77;
    SData i(SData::Integer, &v, 0);
    ASSERT_NE(i.GetValueI(), nullptr);
    EXPECT_EQ(*i.GetValueI(), 77);
    EXPECT_EQ(i.GetValueF(), nullptr);
    i.SetValueF(1.5f);
    EXPECT_EQ(i.GetValueI(), nullptr);
    EXPECT_EQ(*i.GetValueF(), 1.5f);
    unsigned char bytes[3] = {1, 2, 3};
    SData c(SData::Custom, bytes, 3);
    EXPECT_EQ(c.GetSize(), 3);
    EXPECT_EQ(c.GetCustomData()[2], 3);
    SData none(SData::Custom, nullptr, 3);
    EXPECT_EQ(none.GetFormat(), 0);
}
