// The message dialog: its size follows its texts, OK hides it, and SInfo
// shows it on the plug-in's own connection, served by the toolkit itself.
#include "widget_fixture.h"

#include "kova/gui/button.h"
#include "kova/gui/context/font.h"
#include "kova/gui/info.h"
#include "kova/gui/label.h"
#include "kova/gui/messagedialog.h"

using namespace widget_test;
using kova::gui::SMessageDialog;

namespace {

class WidgetDialog : public WidgetTest {
protected:
    int TextWidth(kova::gui::context::SDrawFont* font, const char* s)
    {
        return XTextWidth(font->Info(), s, (int)std::strlen(s));
    }
    int Height(kova::gui::context::SDrawFont* font) { return font->Ascent() + font->Descent(); }
    kova::gui::context::SDrawFont* MessageFont(SMessageDialog& dialog)
    {
        return dialog.MessageLabel()->GetFont();
    }
};

}  // namespace

TEST_F(WidgetDialog, AnEmptyMessageLeavesRoomForTheTitleAndTheButton)
{
    SMessageDialog dialog;
    dialog.SetMessage("", "Tessaro");
    const int W = TextWidth(dialog.GetDialogFont(), "Tessaro");
    ASSERT_GT(W, 0);
    EXPECT_EQ(dialog.Width(), W + 64);
    EXPECT_EQ(dialog.Height(), 128);
    EXPECT_EQ(dialog.OkButton()->GetWindowRect().y0, 88);
    EXPECT_EQ(dialog.OkButton()->GetWindowRect().x0, ((W + 64) >> 1) - 20);
}

TEST_F(WidgetDialog, AnEmptyLineInTheMessageCountsWithTheLineBefore)
{
    SMessageDialog dialog;
    dialog.SetMessage("Failed to load plugin\n\n(Reason: Internal Error)", "Tessaro");
    const int h = Height(MessageFont(dialog));
    ASSERT_GT(h, 0);
    EXPECT_EQ(dialog.Height(), 3 * h + 128);
    EXPECT_EQ(dialog.MessageLabel()->Height(), 3 * h + 38);
    const int widest = std::max(TextWidth(MessageFont(dialog), "(Reason: Internal Error)"),
                                TextWidth(dialog.GetDialogFont(), "Tessaro"));
    EXPECT_EQ(dialog.Width(), widest + 64);
}

TEST_F(WidgetDialog, AMessageStartingWithAnEmptyLineCountsItWithTheHeightOfW)
{
    SMessageDialog dialog;
    dialog.SetMessage("\nx", "T");
    kova::gui::context::SDrawFont* font = MessageFont(dialog);
    XCharStruct overall{};
    int dir = 0, ascent = 0, descent = 0;
    XTextExtents(font->Info(), "W", 1, &dir, &ascent, &descent, &overall);
    EXPECT_EQ(dialog.Height(), (ascent + descent) + Height(font) + 128);
}

TEST_F(WidgetDialog, TheChildrenAreNamedAfterTheDialog)
{
    SMessageDialog dialog;
    const std::string name = dialog.SControl::GetLabel().c_str();
    EXPECT_EQ(name.rfind("SDialog (ID ", 0), 0u);
    EXPECT_EQ(std::string(dialog.TitleLabel()->SControl::GetLabel().c_str()), name + " - TitleLabel");
    EXPECT_EQ(std::string(dialog.MessageLabel()->SControl::GetLabel().c_str()), name + " - MessageLabel");
    EXPECT_EQ(std::string(dialog.OkButton()->SControl::GetLabel().c_str()), name + " - MessageButton");
}

TEST_F(WidgetDialog, PressingOkHidesTheDialog)
{
    SMessageDialog dialog;
    dialog.ShowMessage("Chunk saved by a newer version", "Tessaro");
    Settle();
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_TRUE(dialog.IsMapped());
    MoveTo(*dialog.OkButton(), 10, 10);
    Click(*dialog.OkButton());
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_FALSE(dialog.IsMapped());
}

TEST_F(WidgetDialog, AnEventFromAnotherControlLeavesTheDialogOpen)
{
    SMessageDialog dialog;
    dialog.ShowMessage("text", "Tessaro");
    SEvent ev;
    ev.type = 3;
    ev.kind = SEvent::KindValue;
    ev.value = 1;
    ev.sender = dialog.TitleLabel();
    dialog.ParseEvent(&ev);
    EXPECT_TRUE(dialog.IsShown());
    ev.sender = dialog.OkButton();
    dialog.ParseEvent(&ev);
    EXPECT_FALSE(dialog.IsShown());
}

TEST_F(WidgetDialog, SInfoIsDrawnAndDismissedWithoutAnyoneElseReadingEvents)
{
    // Nothing in this test reads the display: the toolkit serves it.
    kova::gui::SInfo("Failed to load plugin\n(Reason: Host not supported (Usine))", "Tessaro");
    SMessageDialog* dialog = kova::gui::InfoDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(kova::gui::EventPumpRunning());
    ASSERT_TRUE(WaitUntil([&] { return dialog->IsMapped(); }));
    // Drawn: the black frame and the dark grey inside.
    ASSERT_TRUE(WaitUntil([&] {
        return PixelAt(dialog->GetWindow(), 3, 60) == Rgb(Std(20)) &&
               PixelAt(dialog->MessageLabel()->GetWindow(), 1, 1) == Rgb(Std(24));
    }));
    // Centred on the screen.
    const int screenWidth = DisplayWidth(d, DefaultScreen(d));
    Point origin(0, 0);
    dialog->GetClient2Screen(origin);
    EXPECT_NEAR(origin.x + dialog->Width() / 2, screenWidth / 2, 1);

    // OK, pressed as the server would report it, goes through the pump.
    XWarpPointer(d, 0, dialog->OkButton()->GetWindow(), 0, 0, 0, 0, 10, 10);
    XEvent press{};
    press.xbutton.type = ButtonPress;
    press.xbutton.window = dialog->OkButton()->GetWindow();
    press.xbutton.root = root;
    press.xbutton.button = Button1;
    press.xbutton.x = press.xbutton.y = 10;
    press.xbutton.same_screen = True;
    XSendEvent(d, press.xbutton.window, False, ButtonPressMask, &press);
    XFlush(d);
    EXPECT_TRUE(WaitUntil([&] { return !dialog->IsShown(); }));

    // A second message shows it again.
    kova::gui::SInfo("again", "Tessaro");
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_TRUE(WaitUntil([&] { return dialog->IsMapped(); }));
    kova::gui::StopEventPump();
    kova::gui::CloseInfo();
    EXPECT_EQ(kova::gui::InfoDialog(), nullptr);
}
