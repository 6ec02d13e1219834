// Dials: the value the user sets by dragging, the wheel and clicks, what
// the listeners hear, and the value texts the panel's controller dials show.
#include "widget_fixture.h"

#include <X11/keysym.h>

#include "kova/gui/dial.h"

using namespace widget_test;
using kova::gui::SDial;
using Dial = SDial<int>;

namespace {

// Counts repaint requests.
class CountingDial : public Dial {
public:
    using Dial::Dial;
    void Refresh() override
    {
        ++refreshes;
        Dial::Refresh();
    }
    int refreshes = 0;
};

class WidgetDial : public WidgetTest {
protected:
    CountingDial* Make(int value, int min, int max, int def, int width = 50)
    {
        auto* dial = new CountingDial(&globals, box, 2, "dial", 0x30, 40, 40, width, 30, false, true,
                                      (int)box->GetWindow(), value, min, max, def);
        dial->SetColours(Std(20), Std(20), Std(20), Std(0), Std(0), Std(0), Std(0));
        dial->SetLabelColours(Std(0), Std(19));
        dial->SetHoverColours(Std(20), Std(23));
        dial->SetControlColours(Std(20), Std(0), Std(20), Std(20));
        dial->SetValueFont(statdata->FindFont(12, true, false));
        dial->AddEventListener(box, 5);
        dial->Show();
        box->Add(dial);
        Pump();
        return dial;
    }

    // Moves the pointer vertically by dy in steps of one pixel.
    void DragBy(Dial& dial, int x, int y, int dy)
    {
        const int step = dy < 0 ? -1 : 1;
        for (int i = 0; i != dy; i += step)
            MoveTo(dial, x, y + i + step);
    }
};

}  // namespace

TEST_F(WidgetDial, TheWheelStopsAtTheTopOfTheRange)
{
    Dial* dial = Make(127, 0, 127, 16);
    MoveTo(*dial, 25, 15);
    Mouse(*dial, ButtonPress, Button4);
    EXPECT_EQ(dial->GetValue(), 127);
    EXPECT_TRUE(box->heard.empty());
    Mouse(*dial, ButtonPress, Button5);
    EXPECT_EQ(dial->GetValue(), 126);
    EXPECT_EQ(box->Values(5), std::vector<int>{126});
}

TEST_F(WidgetDial, ALeftDragNeedsMoreThanFivePixelsPerStep)
{
    Dial* dial = Make(16, 0, 127, 16);
    MoveTo(*dial, 25, 20);
    Mouse(*dial, ButtonPress, Button1);
    DragBy(*dial, 25, 20, -5);
    EXPECT_EQ(dial->GetValue(), 16);
    DragBy(*dial, 25, 15, -1);
    EXPECT_EQ(dial->GetValue(), 17);
    DragBy(*dial, 25, 14, -6);
    EXPECT_EQ(dial->GetValue(), 18);
    Mouse(*dial, ButtonRelease, Button1);
    EXPECT_EQ(box->Values(5), (std::vector<int>{17, 18}));
}

TEST_F(WidgetDial, DraggingDownLowersTheValue)
{
    Dial* dial = Make(16, 0, 127, 16);
    MoveTo(*dial, 25, 5);
    Mouse(*dial, ButtonPress, Button1);
    DragBy(*dial, 25, 5, 13);
    Mouse(*dial, ButtonRelease, Button1);
    EXPECT_EQ(dial->GetValue(), 14);
}

TEST_F(WidgetDial, ARightDragNeedsMoreThanTwelvePixelsPerStep)
{
    Dial* dial = Make(16, 0, 127, 16);
    MoveTo(*dial, 25, 25);
    Mouse(*dial, ButtonPress, Button3);
    DragBy(*dial, 25, 25, -12);
    EXPECT_EQ(dial->GetValue(), 16);
    DragBy(*dial, 25, 13, -1);
    EXPECT_EQ(dial->GetValue(), 17);
    Mouse(*dial, ButtonRelease, Button3);
}

TEST_F(WidgetDial, AMiddleClickStepsTowardsTheHalfItHits)
{
    Dial* dial = Make(16, 0, 127, 16, 50);
    MoveTo(*dial, 26, 10);
    Click(*dial, Button2);
    EXPECT_EQ(dial->GetValue(), 17);
    MoveTo(*dial, 25, 10);
    Click(*dial, Button2);
    EXPECT_EQ(dial->GetValue(), 16);
    EXPECT_EQ(box->Values(5), (std::vector<int>{17, 16}));
}

TEST_F(WidgetDial, ACtrlClickResetsToTheDefaultAndTellsTheListeners)
{
    CountingDial* dial = Make(40, 0, 127, 16);
    MoveTo(*dial, 25, 10);
    const int before = dial->refreshes;
    Click(*dial, Button1, ControlMask);
    EXPECT_EQ(dial->GetValue(), 16);
    EXPECT_GT(dial->refreshes, before);
    EXPECT_EQ(box->Values(5), (std::vector<int>{16}));
}

TEST_F(WidgetDial, SettingTheSameValueNeitherChangesNorRedraws)
{
    CountingDial* dial = Make(40, 0, 127, 16);
    const int before = dial->refreshes;
    EXPECT_FALSE(dial->SetValue(40, true));
    EXPECT_EQ(dial->refreshes, before);
    EXPECT_TRUE(dial->SetValue(200, true));  // code may set any value
    EXPECT_EQ(dial->GetValue(), 200);
    EXPECT_TRUE(box->heard.empty());
}

TEST_F(WidgetDial, ADisplayOnlyDialIgnoresTheMouse)
{
    Dial* dial = Make(3, 0, 128, 0);
    dial->SetAcceptsMouse(false);
    MoveTo(*dial, 25, 20);
    Mouse(*dial, ButtonPress, Button4);
    Click(*dial, Button2);
    Mouse(*dial, ButtonPress, Button1);
    DragBy(*dial, 25, 20, -12);
    Mouse(*dial, ButtonRelease, Button1);
    EXPECT_EQ(dial->GetValue(), 3);
    EXPECT_TRUE(box->heard.empty());
}

TEST_F(WidgetDial, ValueTextsReplaceTheNumberAndTheSpecialValueTurnsRed)
{
    Dial* dial = Make(0, 0, 128, 0, 22);
    std::vector<Dial::String> texts(129);
    texts[0].Append("---");
    for (int i = 1; i < 129; ++i)
        texts[(size_t)i].Append(8, "%03d", i - 1);
    dial->SetValueTexts(texts.data(), 129, false);
    dial->UseValueTexts(true);
    dial->SetSpecialColour(0, Std(4), true);
    EXPECT_STREQ(dial->ValueText().c_str(), "---");
    EXPECT_EQ(dial->ValueTextColour(), Std(4));
    dial->SetValue(1, false);
    EXPECT_STREQ(dial->ValueText().c_str(), "000");
    EXPECT_EQ(dial->ValueTextColour(), Std(0));
    dial->SetValue(128, false);
    EXPECT_STREQ(dial->ValueText().c_str(), "127");
    dial->SetValue(129, false);  // beyond the table: the number
    EXPECT_STREQ(dial->ValueText().c_str(), "129");
    dial->UseValueTexts(false);
    dial->SetValue(7, false);
    EXPECT_STREQ(dial->ValueText().c_str(), "7");
    dial->SetValueTexts(nullptr, 0, false);
}

TEST_F(WidgetDial, TheRedDashesAreDrawn)
{
    Dial* dial = Make(0, 0, 128, 0, 22);
    Dial::String texts[2];
    texts[0].Append("---");
    texts[1].Append("000");
    dial->SetValueFont(statdata->FindFont(8, false, false));
    dial->SetValueTexts(texts, 2, false);
    dial->UseValueTexts(true);
    dial->SetSpecialColour(0, Std(4), true);
    dial->Refresh();
    Settle();
    XImage* image = XGetImage(d, dial->GetWindow(), 0, 0, 22, 30, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int red = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 22; ++x)
            red += (XGetPixel(image, x, y) & 0xFFFFFF) == Rgb(Std(4));
    XDestroyImage(image);
    EXPECT_GT(red, 4);
    dial->SetValueTexts(nullptr, 0, false);
}

TEST_F(WidgetDial, TheRangeHoldsItsDefaultAndMiddle)
{
    Dial* dial = Make(5, 0, 127, 300);
    EXPECT_EQ(dial->GetValueDef(), 127);  // the default is kept in the range
    EXPECT_EQ(dial->GetValueMed(), 63);
    EXPECT_EQ(dial->ValueCount(), 128);
    dial->SetValueMax(100);
    EXPECT_EQ(dial->GetValueDef(), 100);
    EXPECT_FALSE(dial->SetValueClipped(500) && dial->GetValue() != 100);
    EXPECT_EQ(dial->GetValue(), 100);
}
