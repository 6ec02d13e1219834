// The editor's orange arrow, font cursors and the invisible cursor.
#include "drawing_fixture.h"

#include "kova/gui/cursor.h"
#include "kova/gui/cursorbitmaps.h"

using namespace drawing_test;
using kova::gui::SCursor;
using kova::gui::SCursorDefault;

namespace {

class CursorShapes : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, 0, 0, 0);
    }
    void TearDown() override
    {
        if (display && window)
            XDestroyWindow(display, window);
        DrawingTest::TearDown();
    }

    // Requests issued so far on the connection.
    unsigned long Requests() { return NextRequest(display); }

    Window window = 0;
};

TEST_F(CursorShapes, TheArrowImageIsAnOutlineInsideItsMask)
{
    using namespace kova::images;
    for (int i = 0; i < ArrowHeight * 3; ++i)
        EXPECT_EQ(arrow_source[i] & ~arrow_mask[i], 0) << "byte " << i;
    EXPECT_EQ(arrow_source[0], 0x01) << "the tip is the hot spot (0, 0)";
    EXPECT_EQ(arrow_mask[7 * 3], 0xFF);
    for (int i = 23 * 3; i < 24 * 3; ++i) {
        EXPECT_EQ(arrow_source[i], 0);
        EXPECT_EQ(arrow_mask[i], 0);
    }
    for (int i = 0; i < CornerHeight * 2; ++i)
        EXPECT_EQ(corner_source[i] & ~corner_mask[i], 0) << "corner byte " << i;
}

TEST_F(CursorShapes, TheDefaultArrowIsMadeButNotYetShown)
{
    SCursor cursor;
    cursor.SetWindow(window);
    EXPECT_EQ(cursor.GetCursor(), 0u);
    cursor.CreateDefault();
    EXPECT_NE(cursor.GetCursor(), 0u);
    EXPECT_FALSE(cursor.IsHidden());
    cursor.Set();
    cursor.Free();
    EXPECT_NE(cursor.GetCursor(), 0u) << "leaving keeps the cursor for the next entry";
    const unsigned long before = Requests();
    cursor.Set();
    EXPECT_EQ(Requests(), before + 1) << "showing it again is a single request";
}

TEST_F(CursorShapes, WithoutAWindowSettingMakesNoRequest)
{
    SCursor cursor;
    cursor.CreateDefault();
    const unsigned long before = Requests();
    cursor.Set();
    EXPECT_EQ(Requests(), before);
}

TEST_F(CursorShapes, ACursorThatNeverMadeOneOnlyFlushesWhenDestroyed)
{
    const unsigned long before = Requests();
    {
        SCursor cursor;
        cursor.SetWindow(window);
        cursor.Set();
    }
    EXPECT_EQ(Requests(), before);
}

TEST_F(CursorShapes, TypedCursorsAreDefinedAtOnce)
{
    SCursor pointer(5, window);
    EXPECT_EQ(pointer.GetType(), 5u);
    EXPECT_NE(pointer.GetCursor(), 0u);
    EXPECT_FALSE(pointer.IsHidden());
    SCursor hand(SCursor::Hand, window);
    SCursor watch(SCursor::Watch, window);
    EXPECT_NE(hand.GetCursor(), 0u);
    EXPECT_NE(watch.GetCursor(), 0u);
    EXPECT_NE(hand.GetCursor(), watch.GetCursor());
}

TEST_F(CursorShapes, TheInvisibleCursorHidesThePointerUntilFreed)
{
    SCursor invisible(0, window);
    EXPECT_TRUE(invisible.IsHidden());
    EXPECT_NE(invisible.GetCursor(), 0u);
    invisible.Free();
    EXPECT_FALSE(invisible.IsHidden());
}

TEST_F(CursorShapes, TheCornerCursorCanBeCutAndKeepsItsHotSpotInside)
{
    SCursor cursor;
    cursor.SetWindow(window);
    cursor.Create(nullptr, nullptr, 10, 8, 4, 3);
    EXPECT_NE(cursor.GetCursor(), 0u);
    cursor.Create(nullptr, nullptr, 16, 14, 40, 40);  // clamped, not a protocol error
    EXPECT_NE(cursor.GetCursor(), 0u);
}

TEST_F(CursorShapes, PixmapCursorsNeedOneBitImages)
{
    SCursor cursor;
    cursor.SetWindow(window);
    // Screen-depth bitmaps cannot make a cursor: refused, and the bitmaps
    // are still taken over.
    cursor.Create(new kova::gui::context::SDrawBitmap(nullptr, 16, 16, false),
                  new kova::gui::context::SDrawBitmap(nullptr, 16, 16, false), 0, 0);
    EXPECT_EQ(cursor.GetCursor(), 0u);
}

TEST_F(CursorShapes, ACursorOutlivingItsWindowIsDestroyedQuietly)
{
    auto* cursor = new SCursor(SCursor::Hand, window);
    XDestroyWindow(display, window);
    window = 0;
    XSync(display, False);
    const int errorsBefore = ErrorCount();
    delete cursor;
    XSync(display, False);
    EXPECT_EQ(ErrorCount(), errorsBefore) << "the failed request is caught where it is made";
}

TEST_F(CursorShapes, TheRootPointerIsActiveWhileSet)
{
    SCursorDefault root;
    EXPECT_EQ(root.GetWindow(), DefaultRootWindow(display));
    EXPECT_NE(root.GetCursor(), 0u);
    EXPECT_FALSE(root.IsActive());
    root.Set();
    EXPECT_TRUE(root.IsActive());
    root.Free();
    EXPECT_FALSE(root.IsActive());
}

}  // namespace
