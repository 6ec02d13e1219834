// The tooltip's retained drawing objects.
#include "drawing_fixture.h"

#include "kova/gui/context/drawobjects.h"
#include "kova/gui/globals.h"

using namespace drawing_test;
using kova::gui::SDrawObject;
using kova::gui::SDrawRect;
using kova::gui::STextObject;
using kova::gui::STextObjectX;
using kova::gui::context::SDrawDevice;
using kova::gui::context::SDrawing;

namespace {

class DrawingRetainedObjects : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        context = new SDrawing(nullptr, &globals);
        delete context->GetDevice();
        context->SetDevice(new SDrawDevice(pixmap));
        red = kova::gui::SCOL(255, 0, 0);
        blue = kova::gui::SCOL(0, 0, 255);
        context->SetFont(statdata->FindFont(10, false, false));
    }
    void TearDown() override
    {
        delete context;
        DrawingTest::TearDown();
    }
    static unsigned long Px(int c) { return (unsigned long)(unsigned)c; }

    SGlobals globals;
    SDrawing* context = nullptr;
    int red = 0;
    int blue = 0;
};

TEST_F(DrawingRetainedObjects, ABackgroundObjectFillsItsMovedRectangleAndRestoresTheBackground)
{
    context->SetBackground(blue, false);
    SDrawObject object(Rect(0, 0, 10, 10), Point(20, 30), red, white);
    object.Draw(context);
    object.Draw(nullptr);
    Snapshot s = Take();
    EXPECT_EQ(s.Footprint(), Rect(20, 30, 30, 40));
    EXPECT_EQ(s.At(25, 35), Px(red));
    EXPECT_EQ(context->GetBackgroundColour(), blue);
}

TEST_F(DrawingRetainedObjects, ARectangleObjectIsFramedAndOptionallyFilled)
{
    SDrawRect filled(Rect(0, 0, 10, 10), Point(5, 5), red, blue, true);
    SDrawRect hollow(Rect(0, 0, 10, 10), Point(40, 5), red, blue, false);
    filled.Draw(context);
    hollow.Draw(context);
    Snapshot s = Take();
    EXPECT_EQ(s.At(5, 5), Px(blue)) << "frame on the inclusive edge";
    EXPECT_EQ(s.At(14, 14), Px(blue));
    EXPECT_EQ(s.At(9, 9), Px(red)) << "filled inside";
    EXPECT_EQ(s.At(44, 5), Px(blue));
    EXPECT_EQ(s.At(45, 9), 0u) << "hollow inside";
    EXPECT_EQ(s.LitCount(Rect(15, 0, 40, Height)), 0);
}

TEST_F(DrawingRetainedObjects, ATextObjectPlacesItsTextByTheTextOffset)
{
    STextObject text(Rect(0, 0, 60, 20), Point(0, 0), red, white, "Tip", Point(80, 50), white, 0);
    text.Draw(context);
    Snapshot s = Take();
    EXPECT_EQ(s.At(0, 0), Px(red)) << "the background stays at the object offset";
    EXPECT_EQ(s.At(59, 19), Px(red));
    int inside = 0, outside = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if (s.At(x, y) == Px(white))
                (Rect(80, 50, 140, 70).Contains(Point(x, y)) ? inside : outside)++;
    EXPECT_GT(inside, 0) << "the text moves by the text offset only";
    EXPECT_EQ(outside, 0);
}

TEST_F(DrawingRetainedObjects, AFontTextObjectSelectsItsOwnFont)
{
    auto* big = statdata->FindFont(12, true, false);
    STextObjectX text(Rect(0, 0, 160, 60), Point(0, 0), black, black, "Tip", Point(0, 0), white, 0, big);
    text.Draw(context);
    EXPECT_EQ(context->GetFont(), big);
    int w, h;
    context->GetTextDimensions("Tip", &w, &h, big);
    Rect ink = Take().Footprint();
    EXPECT_GT(ink.y1 - ink.y0, h / 2);
}

}  // namespace
