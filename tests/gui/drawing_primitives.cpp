// Outlines, fills, lines, polygons and arcs as they land on the pixels.
#include "drawing_fixture.h"

using namespace drawing_test;

namespace {

class DrawingShapes : public DrawingTest {};

TEST_F(DrawingShapes, ARectangleOutlineLiesOnItsInclusiveEdges)
{
    drawing->DrawRect(10, 10, 20, 20);
    Snapshot s = Take();
    for (int i = 10; i < 20; ++i) {
        EXPECT_TRUE(s.Lit(i, 10)) << "top row at column " << i;
        EXPECT_TRUE(s.Lit(i, 19)) << "bottom row at column " << i;
        EXPECT_TRUE(s.Lit(10, i)) << "left column at row " << i;
        EXPECT_TRUE(s.Lit(19, i)) << "right column at row " << i;
    }
    EXPECT_EQ(s.Footprint(), Rect(10, 10, 20, 20));
    EXPECT_EQ(s.LitCount(Rect(11, 11, 19, 19)), 0) << "the inside stays empty";
}

TEST_F(DrawingShapes, AFilledRectangleCoversExactlyItsArea)
{
    drawing->FillRect(10, 10, 20, 20);
    Snapshot s = Take();
    EXPECT_EQ(s.LitCount(), 100);
    EXPECT_EQ(s.Footprint(), Rect(10, 10, 20, 20));
}

TEST_F(DrawingShapes, AFillWithoutWidthOrHeightDrawsNothing)
{
    drawing->FillRect(10, 10, 10, 20);
    drawing->FillRect(10, 10, 20, 10);
    drawing->FillRect(Rect(30, 30, 25, 40));
    EXPECT_EQ(Take().LitCount(), 0);
}

TEST_F(DrawingShapes, AnEmptyRectangleHasNoOutline)
{
    drawing->DrawRect(10, 10, 10, 20);
    drawing->DrawRect(30, 30, 20, 20);
    drawing->DrawRoundedRect(40, 40, 40, 60, 4, 4);
    EXPECT_EQ(Take().LitCount(), 0);
    drawing->DrawRect(10, 10, 11, 13);
    EXPECT_EQ(Take().LitCount(), 3) << "a one-pixel-wide rectangle is one column";
}

TEST_F(DrawingShapes, PointAndRectangleFormsDrawLikeTheIntegerForms)
{
    drawing->FillRect(Point(10, 10), Point(20, 20));
    drawing->DrawRect(Rect(30, 30, 40, 40));
    drawing->DrawPoint(Point(50, 50));
    Snapshot s = Take();
    EXPECT_EQ(s.LitCount(Rect(10, 10, 20, 20)), 100);
    EXPECT_TRUE(s.Lit(39, 39));
    EXPECT_FALSE(s.Lit(40, 40));
    EXPECT_TRUE(s.Lit(50, 50));
    EXPECT_EQ(s.LitCount(), 100 + 36 + 1);
}

TEST_F(DrawingShapes, ARoundedFillKeepsItsCornersFreeAndItsEdgesWhole)
{
    drawing->FillRoundedRect(10, 10, 50, 40, 12, 12);
    Snapshot s = Take();
    EXPECT_EQ(s.Footprint(), Rect(10, 10, 50, 40));
    EXPECT_FALSE(s.Lit(10, 10));
    EXPECT_FALSE(s.Lit(49, 10));
    EXPECT_FALSE(s.Lit(10, 39));
    EXPECT_FALSE(s.Lit(49, 39));
    EXPECT_TRUE(s.Lit(30, 10)) << "middle of the top edge";
    EXPECT_TRUE(s.Lit(30, 39)) << "middle of the bottom edge";
    EXPECT_TRUE(s.Lit(10, 25)) << "middle of the left edge";
    EXPECT_TRUE(s.Lit(49, 25)) << "middle of the right edge";
    EXPECT_EQ(s.LitCount(Rect(16, 16, 44, 34)), 28 * 18) << "the body is solid";
}

TEST_F(DrawingShapes, ARoundedOutlineFollowsTheSameInclusiveEdgesAsARectangle)
{
    drawing->DrawRoundedRect(Rect(10, 10, 50, 40), 12, 12);
    Snapshot s = Take();
    EXPECT_EQ(s.Footprint(), Rect(10, 10, 50, 40));
    EXPECT_FALSE(s.Lit(10, 10)) << "the corner is rounded off";
    EXPECT_TRUE(s.Lit(30, 10));
    EXPECT_TRUE(s.Lit(30, 39));
    EXPECT_TRUE(s.Lit(10, 25));
    EXPECT_TRUE(s.Lit(49, 25));
    EXPECT_EQ(s.LitCount(Rect(17, 17, 43, 33)), 0) << "the inside stays empty";
}

TEST_F(DrawingShapes, ALineIncludesBothEndPoints)
{
    drawing->DrawLine(10, 10, 20, 10);
    drawing->DrawLine(Point(30, 5), Point(30, 15));
    Snapshot s = Take();
    EXPECT_EQ(s.LitCount(Rect(0, 10, 25, 11)), 11);
    EXPECT_TRUE(s.Lit(10, 10));
    EXPECT_TRUE(s.Lit(20, 10));
    EXPECT_TRUE(s.Lit(30, 5));
    EXPECT_TRUE(s.Lit(30, 15));
    EXPECT_EQ(s.LitCount(), 11 + 11);
}

TEST_F(DrawingShapes, APolylineIsLeftOpen)
{
    Point points[3] = {Point(10, 10), Point(40, 10), Point(40, 40)};
    drawing->DrawPoly(points, 3);
    Snapshot s = Take();
    EXPECT_TRUE(s.Lit(25, 10));
    EXPECT_TRUE(s.Lit(40, 25));
    EXPECT_EQ(s.LitCount(Rect(11, 11, 39, 40)), 0) << "no closing segment back to the start";
}

TEST_F(DrawingShapes, PolygonsNeedAtLeastTwoPoints)
{
    Point one[1] = {Point(10, 10)};
    drawing->DrawPoly(one, 1);
    drawing->FillPoly(one, 1);
    drawing->DrawPoly(nullptr, 5);
    drawing->FillPoly(nullptr, 5);
    EXPECT_EQ(Take().LitCount(), 0);
}

TEST_F(DrawingShapes, AFilledTriangleCoversItsInsideOnly)
{
    Point triangle[3] = {Point(10, 10), Point(50, 10), Point(10, 50)};
    drawing->FillPoly(triangle, 3);
    Snapshot s = Take();
    EXPECT_TRUE(s.Lit(15, 15));
    EXPECT_FALSE(s.Lit(45, 45));
    EXPECT_EQ(s.Footprint().x0, 10);
    EXPECT_EQ(s.Footprint().y0, 10);
}

TEST_F(DrawingShapes, EllipsesStayInsideTheirRectangle)
{
    drawing->FillEllipse(10, 10, 51, 51);
    drawing->DrawEllipse(80, 10, 121, 51);
    Snapshot s = Take();
    EXPECT_TRUE(s.Lit(30, 30));
    EXPECT_FALSE(s.Lit(11, 11)) << "corners of the box stay free";
    EXPECT_EQ(s.LitCount(Rect(0, 0, 10, Height)), 0);
    EXPECT_TRUE(s.Lit(100, 10)) << "top of the outline";
    EXPECT_FALSE(s.Lit(100, 30)) << "an outline is hollow";
    Rect box = s.Footprint();
    EXPECT_GE(box.x0, 10);
    EXPECT_LE(box.x1, 122);
    EXPECT_LE(box.y1, 52);
}

TEST_F(DrawingShapes, PiesAndChordsCoverTheirQuarterOnly)
{
    // A quarter from three o'clock to twelve: the upper right part.
    drawing->FillPie(10, 10, 51, 51, 0, 90);
    drawing->FillChord(80, 10, 121, 51, 0, 90);
    Snapshot s = Take();
    EXPECT_TRUE(s.Lit(40, 20));
    EXPECT_FALSE(s.Lit(20, 40));
    EXPECT_FALSE(s.Lit(20, 20));
    EXPECT_TRUE(s.Lit(115, 22)) << "the chord's outer part";
    EXPECT_FALSE(s.Lit(102, 28)) << "the chord leaves the triangle to the centre free";
}

TEST_F(DrawingShapes, ArcsBeziersAndBitmapsLeaveTheDrawableUnchanged)
{
    drawing->DrawArc(10, 10, 50, 50, 0, 180);
    drawing->DrawBezier(10, 10, 20, 20, 30, 30, 40, 40);
    drawing->DrawBitmap(nullptr, 0, 0, 10, 10, false, nullptr);
    EXPECT_EQ(Take().LitCount(), 0);
}

class DrawingState : public DrawingTest {
protected:
    int Function()
    {
        XGCValues v = {};
        XGetGCValues(display, drawing->GetDevice()->Get(), GCFunction, &v);
        return v.function;
    }
};

TEST_F(DrawingState, UnknownLogicCodesCopy)
{
    drawing->SetLogic(1);
    EXPECT_EQ(Function(), GXxor);
    drawing->SetLogic(15);
    EXPECT_EQ(Function(), GXcopy);
    drawing->SetLogic(-1);
    EXPECT_EQ(Function(), GXcopy);
    drawing->SetLogic(14);
    EXPECT_EQ(Function(), GXset);
}

TEST_F(DrawingState, XorDrawingTwiceRestoresThePicture)
{
    drawing->FillRect(0, 0, 20, 20);
    drawing->SetLogic(1);
    drawing->FillRect(10, 10, 30, 30);
    Snapshot once = Take();
    EXPECT_FALSE(once.Lit(15, 15));
    EXPECT_TRUE(once.Lit(25, 25));
    drawing->FillRect(10, 10, 30, 30);
    EXPECT_EQ(Take().LitCount(), 400);
}

TEST_F(DrawingState, FillRuleAndStyleAreRemembered)
{
    drawing->SetFillMode(1);
    EXPECT_EQ(drawing->GetFillMode(), 1);
    drawing->SetFillMode(0);
    EXPECT_EQ(drawing->GetFillMode(), 0);
    drawing->SetFillStyle(0);
    EXPECT_EQ(drawing->GetFillStyle(), 0);
}

TEST_F(DrawingState, TheTextColourBecomesTheForeground)
{
    const int red = kova::gui::SCOL(255, 0, 0);
    drawing->SetTextColour(red, true);
    EXPECT_EQ(drawing->GetTextColour(true), red);
    drawing->FillRect(0, 0, 5, 5);
    EXPECT_EQ(Take().At(2, 2), (unsigned long)(unsigned)red);
}

TEST_F(DrawingState, AContextWithoutADeviceDrawsNothingAndSurvives)
{
    kova::gui::context::SDrawing empty;
    empty.FillRect(0, 0, 10, 10);
    empty.DrawLine(0, 0, 10, 10);
    empty.DrawRect(0, 0, 10, 10);
    empty.DrawText("text", 0, 0);
    empty.SetLogic(1);
    empty.SetFillMode(1);
    EXPECT_EQ(empty.GetFillMode(), 1);
    EXPECT_EQ(empty.GetDevice(), nullptr);
}

}  // namespace
