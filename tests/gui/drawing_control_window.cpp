// A control's own drawing context draws on the control's window.
#include "drawing_fixture.h"

#include "kova/gui/control.h"
#include "kova/gui/globals.h"

using namespace drawing_test;
using kova::gui::SControl;
using kova::gui::context::SDrawing;

namespace {

class DrawingControlWindow : public DrawingTest {};

TEST_F(DrawingControlWindow, AControlsContextPaintsItsWindow)
{
    SGlobals globals;
    SControl control(&globals, nullptr, 1, "(TSRO) Drawing test", 0, 10, 10, 60, 40, 0, false);
    ASSERT_NE(control.GetWindow(), 0u);
    SDrawing* context = control.GetDrawing();
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->GetDevice()->GetDrawable(), control.GetWindow());
    EXPECT_EQ(context->GetControl(), &control);
    control.Show();
    XSync(display, False);

    const int red = kova::gui::SCOL(255, 0, 0);
    context->SetBrush(statdata->FindBrush(red));
    context->FillRect(0, 0, 60, 40);
    Snapshot s(display, control.GetWindow(), 60, 40);
    EXPECT_EQ(s.At(0, 0), (unsigned long)(unsigned)red);
    EXPECT_EQ(s.At(59, 39), (unsigned long)(unsigned)red);
    control.Hide();
}

TEST_F(DrawingControlWindow, ReinitialisingBindsAFreshDeviceToTheWindow)
{
    SGlobals globals;
    SControl control(&globals, nullptr, 2, "(TSRO) Drawing test", 0, 10, 10, 30, 30, 0, false);
    SDrawing context;
    EXPECT_EQ(context.GetDevice(), nullptr);
    context.InitDrawing(&control, nullptr);
    ASSERT_NE(context.GetDevice(), nullptr);
    EXPECT_EQ(context.GetDevice()->GetDrawable(), control.GetWindow());
    EXPECT_NE(context.GetDevice()->Get(), nullptr);
    context.CleanDrawing();
    EXPECT_EQ(context.GetDevice(), nullptr);
}

}  // namespace
