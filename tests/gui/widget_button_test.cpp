// Buttons: what push, toggle and flash buttons tell their listeners, the
// caption and outline colours, and pictures.
#include "widget_fixture.h"

#include "kova/gui/button.h"
#include "kova/gui/context/bitmap.h"
#include "kova/images/text_logo.h"

using namespace widget_test;
using kova::gui::SButton;
using Button = SButton<false>;

namespace {

class WidgetButton : public WidgetTest {
protected:
    Button* Make(int type, int flags = 0)
    {
        auto* b = new Button(&globals, box, 2, "button", flags, 20, 20, 50, 30, (int)box->GetWindow(), false);
        b->SetColours(Std(20), Std(11), Std(24), Std(0), Std(0), Std(0), Std(0));
        b->SetLabel("Kill", statdata->FindFont(8, false, false), 0);
        b->SetType(type);
        b->AddEventListener(box, 3);
        b->Show();
        box->Add(b);
        Pump();
        return b;
    }
};

}  // namespace

TEST_F(WidgetButton, SettingTheSameValueTwiceTellsTheListenersOnce)
{
    Button* b = Make(Button::Push);
    EXPECT_TRUE(b->SetValue(1, true));
    EXPECT_FALSE(b->SetValue(1, true));
    EXPECT_EQ(box->Values(3), std::vector<int>{1});
}

TEST_F(WidgetButton, APushButtonIsOnOnlyWhileHeld)
{
    Button* b = Make(Button::Push);
    MoveTo(*b, 10, 10);
    Mouse(*b, ButtonPress, Button1);
    EXPECT_EQ(b->GetValue(), 1);
    Mouse(*b, ButtonRelease, Button1);
    EXPECT_EQ(b->GetValue(), 0);
    EXPECT_EQ(box->Values(3), std::vector<int>{1});
}

TEST_F(WidgetButton, APushButtonDraggedOutGoesOffWithoutASecondEvent)
{
    Button* b = Make(Button::Push);
    MoveTo(*b, 10, 10);
    Mouse(*b, ButtonPress, Button1);
    EXPECT_EQ(b->GetValue(), 1);
    MoveTo(*box, 250, 150);  // the pointer leaves the button
    EXPECT_EQ(b->GetValue(), 0);
    EXPECT_EQ(box->Values(3), std::vector<int>{1});
}

TEST_F(WidgetButton, AToggleButtonFlipsOnEveryLeftPress)
{
    Button* b = Make(Button::NotifyOff);
    MoveTo(*b, 10, 10);
    Click(*b);
    EXPECT_EQ(b->GetValue(), 1);
    Click(*b);
    EXPECT_EQ(b->GetValue(), 0);
    EXPECT_EQ(box->Values(3), (std::vector<int>{1, 0}));
}

TEST_F(WidgetButton, APushButtonSwitchedOffInCodeTellsNobody)
{
    Button* b = Make(Button::Push);
    b->SetValue(1, false);
    b->Toggle();
    EXPECT_EQ(b->GetValue(), 0);
    EXPECT_TRUE(box->heard.empty());
}

TEST_F(WidgetButton, ARightPressOnAToggleButtonChangesNothing)
{
    Button* b = Make(Button::NotifyOff);
    MoveTo(*b, 10, 10);
    Click(*b, Button3);
    Click(*b, Button2);
    EXPECT_EQ(b->GetValue(), 0);
    EXPECT_TRUE(box->heard.empty());
}

TEST_F(WidgetButton, AFlashButtonReportsThePressAndIsOffAgainAtOnce)
{
    Button* b = Make(Button::Flash);
    MoveTo(*b, 10, 10);
    Mouse(*b, ButtonPress, Button1);
    EXPECT_EQ(b->GetValue(), 0);
    EXPECT_EQ(box->Values(3), std::vector<int>{1});
    Mouse(*b, ButtonRelease, Button1);
    Mouse(*b, ButtonPress, Button3);
    EXPECT_EQ(box->Values(3), (std::vector<int>{1, 3}));
    EXPECT_EQ(b->GetValue(), 0);
}

TEST_F(WidgetButton, AButtonThatTakesNoMouseIgnoresEveryClick)
{
    Button* b = Make(Button::NotifyOff);
    b->SetAcceptsMouse(false);
    MoveTo(*b, 10, 10);
    Click(*b);
    EXPECT_EQ(b->GetValue(), 0);
    EXPECT_TRUE(box->heard.empty());
}

TEST_F(WidgetButton, TheCaptionColourFollowsValueAndActivity)
{
    Button* b = Make(Button::NotifyOff);
    const int P = Std(1), Q = Std(19), R = Std(4);
    b->SetLabelColours(P, Q);
    b->SetValue(1, false);
    EXPECT_EQ(b->GetLabelColour(), P);
    b->SetLabelColourActive(R);
    EXPECT_EQ(b->GetLabelColour(), R);
    b->SetValue(2, false);
    EXPECT_EQ(b->GetLabelColour(), P);
    b->Enable(false);
    EXPECT_EQ(b->GetLabelColour(), Q);
}

TEST_F(WidgetButton, TheHoverOutlineHasTheColourOfTheButtonsState)
{
    Button* b = Make(Button::NotifyOff, 0x40000);
    b->SetHoverColours(Std(2), Std(13));
    MoveTo(*b, 10, 10);
    ASSERT_TRUE(b->Hovered());
    b->Refresh();
    Settle();
    EXPECT_EQ(PixelAt(b->GetWindow(), 0, 15), Rgb(Std(2)));
    b->SetValue(1, false);
    b->RefreshOutlines();
    Settle();
    EXPECT_EQ(PixelAt(b->GetWindow(), 0, 15), Rgb(Std(13)));
    // On: the on-state background fills the inside.
    EXPECT_EQ(PixelAt(b->GetWindow(), 3, 3), Rgb(Std(11)));
}

TEST_F(WidgetButton, WithoutAnOutlineFlagTheEdgeTakesTheParentsColourWhenNotHovered)
{
    Button* b = Make(Button::NotifyOff);
    MoveTo(*box, 250, 150);
    Settle();
    EXPECT_FALSE(b->Hovered());
    EXPECT_EQ(PixelAt(b->GetWindow(), 0, 15), Rgb(Std(24)));
}

TEST_F(WidgetButton, OnlyTwoGoodPicturesMakeABitmapButton)
{
    Button* b = Make(Button::NotifyOff);
    b->SetBitmaps((void*)kova::images::text_logo, nullptr, 50, 30);
    EXPECT_EQ(b->GetType() & Button::Bitmap, 0);
    b->SetBitmaps((void*)kova::images::text_logo, (void*)kova::images::text_logo, 50, 30);
    EXPECT_NE(b->GetType() & Button::Bitmap, 0);
    auto* broken = new kova::gui::context::SDrawBitmap();
    b->SetBitmaps(broken, nullptr);  // the button takes it over and deletes it
    EXPECT_EQ(b->GetType() & Button::Bitmap, 0);
}

TEST_F(WidgetButton, ResetSwitchesOffAndTellsTheListeners)
{
    Button* b = Make(Button::NotifyOff);
    b->SetValue(1, false);
    b->Reset();
    EXPECT_EQ(b->GetValue(), 0);
    EXPECT_EQ(box->Values(3), std::vector<int>{0});
    EXPECT_TRUE(b->IgnorePress());
}
