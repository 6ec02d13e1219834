// Measuring text, aligned labels, rotated and vertical text.
#include "drawing_fixture.h"

#include "kova/gui/context/font.h"
#include "kova/gui/context/textblock.h"

using namespace drawing_test;
using kova::gui::context::SDrawFont;

namespace {

class FontText : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        font = statdata->FindFont(10, false, false);
        ASSERT_NE(font->Info(), nullptr);
        drawing->SetFont(font);
        drawing->SetTextColour(white, false);
    }

    // Size of the text as measured: logical width, ascent + descent.
    void Measure(const char* text, int& w, int& h) { drawing->GetTextDimensions(text, &w, &h, font); }

    // Lit pixels in the upper and lower halves of a box.
    static void Halves(const Snapshot& s, const Rect& box, int& upper, int& lower)
    {
        const int middle = (box.y0 + box.y1) / 2;
        upper = s.LitCount(Rect(box.x0, box.y0, box.x1, middle));
        lower = s.LitCount(Rect(box.x0, middle, box.x1, box.y1));
    }

    SDrawFont* font = nullptr;
};

TEST_F(FontText, MeasuringGivesTheWidthAndTheFontsFullHeight)
{
    int w1, h1, w2, h2;
    Measure(".", w1, h1);
    Measure("Tessaro Tessaro", w2, h2);
    EXPECT_GT(w2, w1 * 5);
    EXPECT_EQ(h1, font->Ascent() + font->Descent());
    EXPECT_EQ(h2, h1) << "the height is the font's, not the string's";
    int w = -1, h = -1;
    drawing->GetTextDimensions("", &w, &h, font);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    drawing->GetTextDimensions("abc", &w, &h, nullptr);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    drawing->GetTextDimensions("abc", nullptr, nullptr, font);  // outputs may be null
}

TEST_F(FontText, PlainTextHangsFromItsTopLeftCorner)
{
    drawing->DrawText("Hg", 20, 30);
    Rect ink = Take().Footprint();
    EXPECT_GE(ink.x0, 20);
    EXPECT_LE(ink.x0, 22);
    EXPECT_GE(ink.y0, 30);
    EXPECT_LE(ink.y1, 30 + font->Ascent() + font->Descent());
    EXPECT_GT(ink.y1, 30 + font->Ascent()) << "the descender of g reaches below the baseline";
}

TEST_F(FontText, EmptyOrMissingTextDrawsNothing)
{
    drawing->DrawText("", 10, 10);
    drawing->DrawText(static_cast<const char*>(nullptr), 10, 10);
    drawing->DrawLabel("", Rect(0, 0, 100, 40), 0, Point(0, 0));
    drawing->DrawLabelRect("", Rect(0, 0, 100, 40), white, Point(0, 0));
    drawing->DrawRotatedText("", Rect(0, 0, 100, 40), 45, 0, Point(0, 0));
    drawing->DrawVerticalLabel("", Rect(0, 0, 100, 40), 0, 0, Point(0, 0), false, false, nullptr);
    EXPECT_EQ(Take().LitCount(), 0);
}

TEST_F(FontText, ALabelWithoutFlagsIsCentredBothWays)
{
    const Rect box(0, 0, 160, 60);
    drawing->DrawLabel("Polyphony", box, 0, Point(0, 0));
    Rect ink = Take().Footprint();
    EXPECT_NEAR((ink.x0 + ink.x1) / 2.0, 80.0, 2.0);
    EXPECT_NEAR((ink.y0 + ink.y1) / 2.0, 30.0, 3.0);
}

TEST_F(FontText, LeftWinsOverRightAndTopOverBottom)
{
    const Rect box(10, 10, 150, 110);
    drawing->DrawLabel("Kill", box, 1 | 4 | 2 | 8, Point(0, 0));
    Rect ink = Take().Footprint();
    EXPECT_LE(ink.x0, 12) << "flags 5 align left";
    EXPECT_GE(ink.x0, 10);
    EXPECT_GE(ink.y0, 10) << "flags 10 align to the top";
    EXPECT_LE(ink.y1, 10 + font->Ascent() + font->Descent());

    Clear();
    drawing->DrawLabel("Thru", box, 4, Point(0, 0));
    ink = Take().Footprint();
    EXPECT_NEAR(ink.x1, 150, 2) << "a right-aligned label ends at the right edge";
    EXPECT_NEAR((ink.y0 + ink.y1) / 2.0, 60.0, 3.0) << "and is centred vertically";
}

TEST_F(FontText, ABottomLabelSitsOnTheBottomEdgeAndTheOffsetMovesIt)
{
    drawing->DrawLabel("Hg", Rect(0, 0, 100, 50), 1 | 8, Point(30, 20));
    Rect ink = Take().Footprint();
    EXPECT_LE(ink.y1, 70);
    EXPECT_GE(ink.y1, 68);
    EXPECT_GE(ink.x0, 30);
    EXPECT_LE(ink.x0, 32);
}

TEST_F(FontText, ALabelRectangleFillsItsAreaBeforeTheText)
{
    const int grey = kova::gui::SCOL(128, 128, 128);
    drawing->DrawLabelRect("Midi", Rect(10, 10, 70, 40), grey, Point(0, 0));
    Snapshot s = Take();
    EXPECT_EQ(s.At(10, 10), (unsigned long)(unsigned)grey);
    EXPECT_EQ(s.At(69, 39), (unsigned long)(unsigned)grey);
    EXPECT_EQ(s.Footprint(), Rect(10, 10, 70, 40));
}

TEST_F(FontText, WholeTurnsOfRotationDrawAPlainLabel)
{
    const Rect box(10, 10, 150, 60);
    drawing->DrawLabel("Panic", box, 0, Point(0, 0));
    Snapshot plain = Take();
    for (int angle : {360, -720, 720}) {
        Clear();
        drawing->DrawRotatedText("Panic", box, angle, 0, Point(0, 0));
        EXPECT_TRUE(Take() == plain) << "angle " << angle;
    }
}

TEST_F(FontText, AQuarterTurnStandsTheTextUpReadingUpwards)
{
    int w, h;
    Measure("W......", w, h);
    drawing->DrawRotatedText("W......", Rect(0, 0, Width, Height), 90, 0, Point(0, 0));
    Snapshot s = Take();
    Rect ink = s.Footprint();
    ASSERT_GT(s.LitCount(), 0);
    EXPECT_GT(ink.y1 - ink.y0, ink.x1 - ink.x0) << "taller than wide";
    EXPECT_LE(ink.y1 - ink.y0, w + 2);
    EXPECT_LE(ink.x1 - ink.x0, h + 2);
    int upper, lower;
    Halves(s, ink, upper, lower);
    EXPECT_GT(lower, upper) << "the first letter is at the bottom";
    // 450 degrees is the same quarter turn.
    Clear();
    drawing->DrawRotatedText("W......", Rect(0, 0, Width, Height), 450, 0, Point(0, 0));
    EXPECT_TRUE(Take() == s);
}

TEST_F(FontText, MinusAQuarterTurnReadsDownwards)
{
    drawing->DrawRotatedText("W......", Rect(0, 0, Width, Height), -90, 0, Point(0, 0));
    Snapshot s = Take();
    Rect ink = s.Footprint();
    ASSERT_GT(s.LitCount(), 0);
    int upper, lower;
    Halves(s, ink, upper, lower);
    EXPECT_GT(upper, lower) << "the first letter is at the top";
}

TEST_F(FontText, HalfATurnDrawsUpsideDownInItsOddSizedArea)
{
    int w, h;
    Measure("W......", w, h);
    // Source W = w + 2, H = h + 2; the area adds 3 and rounds up to odd.
    int W2 = w + 2 + 3, H2 = h + 2 + 3;
    W2 += (W2 & 1) ? 0 : 1;
    H2 += (H2 & 1) ? 0 : 1;
    drawing->DrawRotatedText("W......", Rect(10, 10, 10 + W2 - 2, 10 + H2 - 2), 180, 1 | 2, Point(0, 0));
    Snapshot s = Take();
    Rect ink = s.Footprint();
    ASSERT_GT(s.LitCount(), 0);
    EXPECT_GE(ink.x0, 9) << "the area starts at the grown rectangle";
    EXPECT_GE(ink.y0, 9);
    EXPECT_LE(ink.x1, 9 + W2);
    EXPECT_LE(ink.y1, 9 + H2);
    const int middle = (ink.x0 + ink.x1) / 2;
    EXPECT_GT(s.LitCount(Rect(middle, 0, Width, Height)), s.LitCount(Rect(0, 0, middle, Height)))
        << "the first letter ends up on the right";
}

TEST_F(FontText, NegativeAnglesDrawLikeTheirPositiveEquivalents)
{
    const Rect box(0, 0, Width, Height);
    drawing->DrawRotatedText("Tessaro", box, 315, 0, Point(0, 0));
    Snapshot positive = Take();
    ASSERT_GT(positive.LitCount(), 20);
    Clear();
    drawing->DrawRotatedText("Tessaro", box, -45, 0, Point(0, 0));
    Snapshot negative = Take();
    EXPECT_TRUE(negative == positive);
    Clear();
    drawing->DrawRotatedText("Tessaro", box, 45, 0, Point(0, 0));
    EXPECT_GT(Take().LitCount(), 20);
}

TEST_F(FontText, NoAngleLosesPartOfTheText)
{
    const Rect box(0, 0, Width, Height);
    drawing->DrawLabel("Tessaro", box, 0, Point(0, 0));
    const int upright = Take().LitCount();
    for (int angle : {1, 10, 45, 89, 90, 91, 135, 179, 180, 181, 225, 269, 270, 271, 315, 359, -1, -91, -179, -181,
                      -269, -359}) {
        Clear();
        drawing->DrawRotatedText("Tessaro", box, angle, 0, Point(0, 0));
        const int turned = Take().LitCount();
        EXPECT_GT(turned, upright * 6 / 10) << "angle " << angle;
        EXPECT_LT(turned, upright * 2) << "angle " << angle;
    }
}

TEST_F(FontText, RotatedTextTakesTheOffStateTextColour)
{
    const int red = kova::gui::SCOL(255, 0, 0);
    drawing->SetTextColour(red, false);
    drawing->SetBrush(statdata->FindBrush(white));  // the GC foreground is white now
    drawing->DrawRotatedText("Tessaro", Rect(0, 0, Width, Height), 30, 0, Point(0, 0));
    Snapshot s = Take();
    Rect ink = s.Footprint();
    int reds = 0, others = 0;
    for (int y = ink.y0; y < ink.y1; ++y)
        for (int x = ink.x0; x < ink.x1; ++x)
            if (s.Lit(x, y))
                (s.At(x, y) == (unsigned long)(unsigned)red ? reds : others)++;
    EXPECT_GT(reds, 0);
    EXPECT_EQ(others, 0);
}

TEST_F(FontText, AVerticalLabelFillsAnOddSizedUprightArea)
{
    const char* text = "W......";
    int w, h;
    Measure(text, w, h);
    const int W2 = (h & 1) ? h : h + 1;
    const int H2 = (w & 1) ? w : w + 1;
    const int blue = kova::gui::SCOL(0, 0, 255);
    drawing->SetBrush(statdata->FindBrush(blue));
    drawing->DrawVerticalLabel(text, Rect(20, 10, 20 + W2, 10 + H2), 0, 1 | 2, Point(0, 0), false, false, nullptr);
    Snapshot s = Take();
    Rect ink = s.Footprint();
    ASSERT_GT(s.LitCount(), 0);
    EXPECT_GE(ink.x0, 20);
    EXPECT_GE(ink.y0, 10);
    EXPECT_LE(ink.x1, 20 + W2);
    EXPECT_LE(ink.y1, 10 + H2);
    EXPECT_GT(ink.y1 - ink.y0, ink.x1 - ink.x0);
    int upper, lower;
    Halves(s, ink, upper, lower);
    EXPECT_GT(lower, upper) << "reads from bottom to top";
    EXPECT_EQ(s.At((ink.x0 + ink.x1) / 2, ink.y1 - 1) | s.At(ink.x0, ink.y1 - 1) | blue,
              (unsigned long)(unsigned)blue)
        << "drawn in the GC's current foreground";
}

TEST_F(FontText, AVerticalLabelIsCentredWithoutFlags)
{
    drawing->DrawVerticalLabel("Tessaro", Rect(0, 0, Width, Height), 0, 0, Point(0, 0), false, false, nullptr);
    Rect ink = Take().Footprint();
    EXPECT_NEAR((ink.x0 + ink.x1) / 2.0, Width / 2.0, 3.0);
    EXPECT_NEAR((ink.y0 + ink.y1) / 2.0, Height / 2.0, 3.0);
}

}  // namespace

TEST_F(FontText, ATextBlockCountsEveryLineEmptyOnesIncluded)
{
    using kova::gui::context::EmptyLineHeight;
    using kova::gui::context::MeasureTextBlock;
    using kova::gui::context::TextExtents;
    int line = 0, wide = 0, w = 0;
    TextExtents(font, "W", 1, w, line);
    TextExtents(font, "AAAA", 4, wide, w);
    ASSERT_GT(line, 0);

    // Lines "", "A", "", "y", "", "AAAA", "" (the last one opened by the final line feed).
    const char* text = "\nA\n\ny\n\nAAAA\n";
    for (EmptyLineHeight rule : {EmptyLineHeight::FirstFixes, EmptyLineHeight::FollowsLast}) {
        const auto size = MeasureTextBlock(font, text, rule);
        EXPECT_EQ(size.width, wide);
        EXPECT_EQ(size.height, 7 * line);
    }
    EXPECT_EQ(MeasureTextBlock(font, "", EmptyLineHeight::FirstFixes).height, 0);
    EXPECT_EQ(MeasureTextBlock(nullptr, "A\nB", EmptyLineHeight::FirstFixes).height, 0);
}
