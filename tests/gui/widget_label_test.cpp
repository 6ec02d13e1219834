// Labels and image labels: where the lines of a caption go, the highlight
// outline, clicks reported to listeners, and the title picture.
#include "widget_fixture.h"

#include "kova/gui/context/font.h"
#include "kova/gui/imagelabel.h"
#include "kova/gui/label.h"
#include "kova/images/text_logo.h"

using namespace widget_test;
using kova::gui::SImageLabel;
using kova::gui::SLabel;
using kova::gui::context::SDrawFont;

namespace {

// Counts the outline refresh requests.
class CountingLabel : public SLabel<false> {
public:
    using SLabel<false>::SLabel;
    void RefreshOutlines() override
    {
        ++outlineRequests;
        SLabel<false>::RefreshOutlines();
    }
    int outlineRequests = 0;
};

class WidgetLabel : public WidgetTest {
protected:
    SLabel<false>* Make(int w, int h)
    {
        auto* label = new SLabel<false>(&globals, box, 2, "label", 0, 10, 10, w, h, (int)box->GetWindow(), false);
        box->Add(label);
        return label;
    }
    SDrawFont* Font() { return statdata->FindFont(8, false, false); }
    int LineHeight() { return Font()->Ascent() + Font()->Descent(); }
};

}  // namespace

TEST_F(WidgetLabel, ACaptionSetBeforeAnyFontIsIgnored)
{
    SLabel<false>* label = Make(100, 40);
    label->SetLabel("OK");
    EXPECT_STREQ(label->GetLabel().c_str(), "");
    EXPECT_TRUE(label->Lines().empty());
}

TEST_F(WidgetLabel, ASingleLineFillsTheWholeLabelWhateverTheAlignment)
{
    SLabel<false>* label = Make(100, 40);
    for (int alignment : {0, 1, 4, 2, 8, 1 | 2}) {
        label->SetLabel("Kill", Font(), alignment);
        ASSERT_EQ(label->LineRects().size(), 1u);
        EXPECT_EQ(label->LineRects()[0], Rect(0, 0, 100, 40)) << alignment;
    }
}

TEST_F(WidgetLabel, TwoLinesShareACentredBlock)
{
    SLabel<false>* label = Make(100, 40);
    label->SetLabel("A\nB", Font(), 0);
    const int h = LineHeight();
    ASSERT_GT(h, 0) << "the font did not load";
    ASSERT_EQ(label->Lines().size(), 2u);
    EXPECT_EQ(label->BlockHeight(), 2 * h);
    const int y0 = (40 - 2 * h) >> 1;
    const int x0 = (100 - label->BlockWidth()) >> 1;
    EXPECT_EQ(label->LineRects()[0], Rect(x0, y0, x0 + label->BlockWidth(), y0 + h));
    EXPECT_EQ(label->LineRects()[1], Rect(x0, y0 + h, x0 + label->BlockWidth(), y0 + 2 * h));
}

TEST_F(WidgetLabel, AnEmptyLineAddsHeightButIsNotDrawn)
{
    SLabel<false>* label = Make(100, 60);
    label->SetLabel("A\n\nB", Font(), 0);
    const int h = LineHeight();
    EXPECT_EQ(label->BlockHeight(), 3 * h);
    ASSERT_EQ(label->Lines().size(), 2u);
    const Rect first = label->LineRects()[0];
    const Rect second = label->LineRects()[1];
    EXPECT_EQ(first.y1 - first.y0, (3 * h) / 2);
    EXPECT_EQ(second.y1 - first.y0, 3 * h);
}

TEST_F(WidgetLabel, ATabIsMeasuredAsOneLineButDrawnAsTwo)
{
    SLabel<false>* label = Make(100, 40);
    label->SetLabel("x\nA\tB", Font(), 0);
    const int h = LineHeight();
    EXPECT_EQ(label->BlockHeight(), 2 * h);  // "x" and "A\tB"
    ASSERT_EQ(label->Lines().size(), 3u);
    EXPECT_STREQ(label->Lines()[1].c_str(), "A");
    EXPECT_STREQ(label->Lines()[2].c_str(), "B");
}

TEST_F(WidgetLabel, LeftAndTopAlignedBlocksStartAtTheCorner)
{
    SLabel<false>* label = Make(100, 40);
    label->SetLabel("A\nB", Font(), 1 | 2);
    EXPECT_EQ(label->LineRects()[0].x0, 0);
    EXPECT_EQ(label->LineRects()[0].y0, 0);
    label->SetLabel("A\nB", Font(), 4 | 8);
    EXPECT_EQ(label->LineRects()[1].x1, 100);
    EXPECT_EQ(label->LineRects()[1].y1, 40);
}

TEST_F(WidgetLabel, ResizingMovesTheLinesWithTheLabel)
{
    SLabel<false>* label = Make(100, 40);
    label->SetLabel("A\nB", Font(), 0);
    const int h = LineHeight();
    label->SetSize(100, 80);
    EXPECT_EQ(label->LineRects()[0].y0, (80 - 2 * h) >> 1);
    label->SetLabel("single", Font(), 0);
    label->SetSize(60, 20);
    EXPECT_EQ(label->LineRects()[0], Rect(0, 0, 60, 20));
}

TEST_F(WidgetLabel, SwitchingTheHighlightOnTwiceRedrawsTheOutlineOnce)
{
    auto* label = new CountingLabel(&globals, box, 2, "label", 0, 10, 10, 50, 20, (int)box->GetWindow(), false);
    box->Add(label);
    label->Highlight(true, 5, 0, 0);
    label->Highlight(true, 6, 0, 0);
    EXPECT_EQ(label->outlineRequests, 1);
    EXPECT_EQ(label->GetHighlightColour(), 6);
    label->Highlight(false, 7, 0, 0);
    EXPECT_EQ(label->outlineRequests, 2);
    EXPECT_EQ(label->GetHighlightColour(), 7);
}

TEST_F(WidgetLabel, ClicksAreReportedAsLeftMiddleAndRight)
{
    SLabel<false>* label = Make(60, 20);
    label->AddEventListener(box, 3);
    label->Show();
    MoveTo(*label, 5, 5);
    Click(*label, Button1);
    Click(*label, Button2);
    Click(*label, Button3);
    EXPECT_EQ(box->Values(3), (std::vector<int>{1, 2, 3}));
}

TEST_F(WidgetLabel, TheCaptionIsDrawnInTheActiveColourOnTheBackground)
{
    SLabel<false>* label = Make(60, 20);
    label->SetColours(Std(20), Std(20), Std(24), Std(0), Std(0), Std(0), Std(0));
    label->SetLabel("WWW", statdata->FindFont(12, true, false), 0);
    label->SetLabelColours(Std(1), Std(19));
    label->Show();
    Settle();
    int background = 0, caption = 0;
    XImage* image = XGetImage(d, label->GetWindow(), 0, 0, 60, 20, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) {
            const unsigned long p = XGetPixel(image, x, y) & 0xFFFFFF;
            background += p == Rgb(Std(20));
            caption += p == Rgb(Std(1));
        }
    XDestroyImage(image);
    EXPECT_GT(background, 600);
    EXPECT_GT(caption, 20);
}

TEST_F(WidgetLabel, AnImageLabelShowsNothingBeforeItsPictureIsLoaded)
{
    auto* image = new SImageLabel(&globals, box, 3, "picture", 0, 20, 20, 234, 30, (int)box->GetWindow());
    box->Add(image);
    EXPECT_EQ(image->GetPicture(), nullptr);
    image->Draw(Rect(0, 0, 234, 30));  // nothing to copy: no crash, no request
    image->LoadBackground((void*)kova::images::text_logo, 234, 30);
    ASSERT_NE(image->GetPicture(), nullptr);
    EXPECT_EQ(image->GetPicture()->Width(), 234);
    EXPECT_EQ(image->GetPicture()->Height(), 30);
    image->Show();
    Settle();
    // The title is drawn on the panel's dark grey, which fills its corner.
    EXPECT_EQ(PixelAt(image->GetWindow(), 0, 0), 0x4D5154ul);
}

TEST_F(WidgetLabel, AnImageLabelReportsClicksLikeALabel)
{
    auto* image = new SImageLabel(&globals, box, 3, "picture", 0, 20, 20, 50, 30, (int)box->GetWindow());
    box->Add(image);
    image->AddEventListener(box, 3);
    image->Show();
    MoveTo(*image, 3, 3);
    Click(*image, Button1);
    Click(*image, Button3);
    EXPECT_EQ(box->Values(3), (std::vector<int>{1, 3}));
}
