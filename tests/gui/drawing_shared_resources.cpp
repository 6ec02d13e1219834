// The standard colours, the shared pens and brushes, and background fills.
#include "drawing_fixture.h"

#include "kova/gui/globals.h"

using namespace drawing_test;
using kova::gui::SCOL;
using kova::gui::context::SDrawBrush;
using kova::gui::context::SDrawDevice;
using kova::gui::context::SDrawing;
using kova::gui::context::SDrawPen;

namespace {

class DrawingSharedResources : public DrawingTest {};

TEST_F(DrawingSharedResources, TheStandardColoursAreReadyAtLoad)
{
    ASSERT_TRUE(statdata->ColoursReady());
    EXPECT_EQ(statdata->Colour(0), SCOL(255, 255, 255));
    EXPECT_EQ(statdata->Colour(2), SCOL(255, 128, 0));
    EXPECT_EQ(statdata->Colour(10), SCOL(0, 0, 255));
    EXPECT_EQ(statdata->Colour(20), SCOL(0, 0, 0));
    EXPECT_EQ(statdata->Colour(23), SCOL(138, 145, 150));
    EXPECT_EQ(statdata->Colour(28), SCOL(90, 90, 90));
}

TEST_F(DrawingSharedResources, ColoursUseTheHighByteOfEachChannel)
{
    // 255 asks for 0xFF00: on a true-colour screen the pixel still has the
    // full 8-bit channel.
    if (DefaultDepth(display, DefaultScreen(display)) != 24)
        GTEST_SKIP() << "needs a 24-bit true-colour screen";
    EXPECT_EQ(SCOL(255, 128, 0), 0xFF8000);
    EXPECT_EQ(SCOL(1, 2, 3), 0x010203);
}

TEST_F(DrawingSharedResources, APenIsSharedByColourWhateverItsWidth)
{
    const int colour = SCOL(3, 5, 7);
    auto* wide = new SDrawPen(colour, 3, false);
    statdata->Pens()->Add(wide);
    EXPECT_EQ(statdata->FindPen(colour), wide);

    const int other = SCOL(3, 5, 9);
    const int before = statdata->Pens()->Count();
    SDrawPen* fresh = statdata->FindPen(other);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->Width(), 1);
    EXPECT_FALSE(fresh->Dashed());
    EXPECT_EQ(statdata->Pens()->Count(), before + 1);
    EXPECT_EQ(statdata->FindPen(other), fresh);
    EXPECT_EQ(statdata->Pens()->Count(), before + 1);
}

TEST_F(DrawingSharedResources, BrushesAreFoundByTheirEffectiveColour)
{
    const int colour = SCOL(11, 13, 17);
    const int second = SCOL(11, 13, 19);
    auto* patterned = new SDrawBrush(colour, 2, nullptr);
    patterned->SetSecondColour(second);
    statdata->Brushes()->Add(patterned);
    EXPECT_EQ(statdata->FindBrush(second), patterned);
    SDrawBrush* solid = statdata->FindBrush(colour);
    EXPECT_NE(solid, patterned) << "a patterned brush answers only to its second colour";
    EXPECT_EQ(solid->EffectiveColour(), colour);
}

TEST_F(DrawingSharedResources, ABrushFillsInItsColour)
{
    const int green = SCOL(0, 255, 0);
    drawing->SetBrush(statdata->FindBrush(green));
    drawing->FillRect(0, 0, 4, 4);
    EXPECT_EQ(Take().At(1, 1), (unsigned long)(unsigned)green);
}

TEST_F(DrawingSharedResources, ABackgroundFillNeedsTheGlobalsRecord)
{
    drawing->SetBackground(white, false);
    SDrawBrush* selected = drawing->GetBrush();
    drawing->DrawBackground(Rect(0, 0, 20, 20), false);
    EXPECT_EQ(Take().LitCount(), 0);
    EXPECT_EQ(drawing->GetBrush(), selected) << "no brush is selected either";
}

TEST_F(DrawingSharedResources, ABackgroundFillUsesTheCurrentOrTheParentBackground)
{
    SGlobals globals;
    SDrawing context(nullptr, &globals);
    delete context.GetDevice();
    context.SetDevice(new SDrawDevice(pixmap));
    const int red = SCOL(255, 0, 0);
    const int blue = SCOL(0, 0, 255);
    context.SetColours(red, white, blue, white, white, white, white);
    context.DrawBackground(Rect(0, 0, 10, 10), false);
    context.DrawBackground(Rect(10, 0, 20, 10), true);
    Snapshot s = Take();
    EXPECT_EQ(s.At(0, 0), (unsigned long)(unsigned)red);
    EXPECT_EQ(s.At(9, 9), (unsigned long)(unsigned)red);
    EXPECT_EQ(s.At(10, 0), (unsigned long)(unsigned)blue);
    EXPECT_EQ(s.LitCount(), 200);
    EXPECT_EQ(context.GetBrush(), statdata->FindBrush(blue)) << "the fill's brush stays selected";
}

TEST_F(DrawingSharedResources, TheColourSchemeSwitchesBetweenStates)
{
    const int a = SCOL(10, 20, 30), b = SCOL(40, 50, 60), parent = SCOL(70, 80, 90);
    drawing->SetColours(a, b, parent, white, black, white, black);
    EXPECT_EQ(drawing->GetFrameColour(true, false), a);
    EXPECT_EQ(drawing->GetFrameColour(true, true), a);
    EXPECT_EQ(drawing->GetFrameColour(false, true), SCOL(138, 145, 150));
    EXPECT_EQ(drawing->GetBackgroundColour(), a);
    EXPECT_EQ(drawing->GetParentBackgroundColour(), parent);

    drawing->SetBackground(white, true);
    EXPECT_EQ(drawing->GetBackgroundColour(), white) << "storing the on-state colour makes it current";
    drawing->SetBackground(black, false);
    drawing->SetBackgroundColour(true);
    EXPECT_EQ(drawing->GetBackgroundColour(), white);

    drawing->SetForegroundColour(true);
    EXPECT_EQ(drawing->GetForegroundColour(), black);
    drawing->SetForegroundColour(false);
    EXPECT_EQ(drawing->GetForegroundColour(), white);
    drawing->FillRect(0, 0, 3, 3);
    EXPECT_TRUE(Take().Lit(1, 1)) << "the off-state foreground is in the GC";
}

TEST_F(DrawingSharedResources, ANewContextStartsWhiteOnBlack)
{
    SDrawing context(nullptr, nullptr);
    EXPECT_EQ(context.GetBackgroundColour(), black);
    EXPECT_EQ(context.GetParentBackgroundColour(), black);
    EXPECT_EQ(context.GetForegroundColour(), white);
    EXPECT_EQ(context.GetTextColour(false), white);
    EXPECT_EQ(context.GetTextColour(true), white);
    EXPECT_EQ(context.GetFrameColour(true, false), black);
    EXPECT_EQ(context.GetFrameColour(false, false), SCOL(138, 145, 150));
}

}  // namespace
