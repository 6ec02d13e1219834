// Tooltips: how a text is laid out into lines, the size of the tip window,
// switching all tooltips on and off, and the tip following the pointer.
#include "widget_fixture.h"

#include "kova/gui/context/drawobjects.h"
#include "kova/gui/context/font.h"
#include "kova/gui/label.h"
#include "kova/gui/tooltip.h"

using namespace widget_test;
using kova::gui::SLabel;
using kova::gui::STextObjectX;
using kova::gui::SToolTip;
using kova::gui::SToolTipData;

namespace {

class WidgetTooltip : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        if (HasFatalFailure())
            return;
        tip = new SToolTip(box, true);
        label = new SLabel<false>(&globals, box, 50, "target", 0, 100, 60, 40, 20, (int)box->GetWindow(), false);
        box->Add(label);
        label->Show();
        Pump();
    }
    int LineHeight() { return tip->regularFont->Ascent() + tip->regularFont->Descent(); }
    STextObjectX* Object(SToolTipData& data, size_t i) { return static_cast<STextObjectX*>(data.Objects()[i]); }

    SToolTip* tip = nullptr;
    SLabel<false>* label = nullptr;
};

}  // namespace

TEST_F(WidgetTooltip, TheTitleLineIsColouredAndTheSecondLineBold)
{
    tip->boldSecond = true;
    SToolTipData data(tip, label, 0);
    data.AddLabel("Option:\nKill Active Notes", 0);
    ASSERT_EQ(data.Objects().size(), 2u);
    EXPECT_EQ(Object(data, 0)->textColour, tip->firstLineColour);
    EXPECT_EQ(Object(data, 0)->font, tip->regularFont);
    EXPECT_STREQ(Object(data, 0)->text.c_str(), "Option:");
    EXPECT_EQ(Object(data, 1)->textColour, tip->textColour);
    EXPECT_EQ(Object(data, 1)->font, tip->boldFont);
}

TEST_F(WidgetTooltip, AnEmptyLineAddsHeightButNoText)
{
    SToolTipData data(tip, label, 0);
    data.AddLabel("A\n\nB", 0);
    const int h = LineHeight();
    ASSERT_GT(h, 0);
    ASSERT_EQ(data.Objects().size(), 2u);
    EXPECT_EQ(data.BoxHeight(), 3 * h + 20);
    const int B = 3 * h + 4;
    const Rect first = data.Objects()[0]->rect;
    const Rect second = data.Objects()[1]->rect;
    EXPECT_EQ(first.y1 - first.y0, B / 2);
    EXPECT_EQ(second.y1 - first.y0, B);
}

TEST_F(WidgetTooltip, ATrailingLineFeedLeavesRoomForOneMoreLine)
{
    SToolTipData data(tip, label, 0);
    data.AddLabel("Panic\n", 0);
    const int h = LineHeight();
    ASSERT_EQ(data.Objects().size(), 1u);
    const Rect r = data.Objects()[0]->rect;
    EXPECT_EQ(r.y1 - r.y0, 2 * h + 4);
}

TEST_F(WidgetTooltip, TheEmptyTextMakesAFortyEightByTwentyTip)
{
    SToolTipData data(tip, label, 0);
    data.AddLabel("", 0);
    EXPECT_EQ(data.BoxWidth(), 48);
    EXPECT_EQ(data.BoxHeight(), 20);
    ASSERT_EQ(data.Objects().size(), 1u);
    tip->Open(&data, Point(10, 10));
    EXPECT_EQ(tip->Width(), 48);
    EXPECT_EQ(tip->Height(), 20);
    EXPECT_TRUE(tip->shown);
    tip->Close();
    EXPECT_FALSE(tip->shown);
}

TEST_F(WidgetTooltip, ATipBesideTheControlKeepsItsTextAwayFromTheArrow)
{
    SToolTipData above(tip, label, 0), right(tip, label, 1), left(tip, label, 3);
    above.AddLabel("Kill", 0);
    right.AddLabel("Kill", 0);
    left.AddLabel("Kill", 0);
    EXPECT_EQ(right.Objects()[0]->rect.x0, above.Objects()[0]->rect.x0 + 4);
    EXPECT_EQ(left.Objects()[0]->rect.x0, above.Objects()[0]->rect.x0 - 4);
}

TEST_F(WidgetTooltip, SettingATooltipTwiceReplacesItAndListsTheControlOnce)
{
    kova::gui::SetTooltip(label, tip, "first", 0);
    auto* first = label->GetToolTipAnchor();
    kova::gui::SetTooltip(label, tip, "second\nline", 2);
    EXPECT_NE(label->GetToolTipAnchor(), first);
    EXPECT_EQ(label->GetToolTipAnchor()->Placement(), 2);
    EXPECT_EQ(tip->controls.size(), 1u);
}

TEST_F(WidgetTooltip, TogglingTwiceSwitchesTooltipsOffAgain)
{
    kova::gui::SetTooltip(label, tip, "tip", 0);
    EXPECT_EQ(tip->indicatorColour, Std(10));
    EXPECT_EQ(tip->ToggleTooltips(), Std(4));
    EXPECT_NE(label->GetState() & SControl::TooltipsOn, 0u);
    EXPECT_EQ(tip->ToggleTooltips(), Std(10));
    EXPECT_EQ(label->GetState() & SControl::TooltipsOn, 0u);
}

TEST_F(WidgetTooltip, TheTipOpensWhileThePointerIsOverTheControl)
{
    kova::gui::SetTooltip(label, tip, "Option:\nSet Max Midi Polyphony", 2);
    MoveTo(*box, 5, 5);
    tip->ToggleTooltips();
    MoveTo(*label, 10, 10);
    EXPECT_TRUE(PumpUntil([&] { return tip->shown; }));
    EXPECT_TRUE(tip->IsMapped());
    // Below the control: the tip's top is 3 pixels under the label.
    Point origin(0, 0);
    label->GetClient2Screen(origin);
    Settle();
    Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(d, tip->GetWindow(), root, 0, 0, &x, &y, &child);
    EXPECT_EQ(y, origin.y + 20 + 3);
    // The title line is drawn in the title colour.
    XImage* image = XGetImage(d, tip->GetWindow(), 0, 0, (unsigned)tip->Width(), (unsigned)tip->Height(), AllPlanes,
                              ZPixmap);
    ASSERT_NE(image, nullptr);
    int title = 0;
    for (int yy = 0; yy < tip->Height(); ++yy)
        for (int xx = 0; xx < tip->Width(); ++xx)
            title += (XGetPixel(image, xx, yy) & 0xFFFFFF) == Rgb(tip->firstLineColour);
    XDestroyImage(image);
    EXPECT_GT(title, 10);
    MoveTo(*box, 5, 5);
    EXPECT_TRUE(PumpUntil([&] { return !tip->shown; }));
}

TEST_F(WidgetTooltip, SwitchedOffTooltipsStayClosed)
{
    kova::gui::SetTooltip(label, tip, "tip", 2);
    MoveTo(*box, 5, 5);
    MoveTo(*label, 10, 10);
    EXPECT_FALSE(tip->shown);
}
