// The drawing layer with no X display at all, and its pure bookkeeping.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kova/gui/connection.h"
#include "kova/gui/context/colour.h"
#include "kova/gui/context/drawing.h"
#include "kova/gui/context/staticdata.h"
#include "kova/gui/cursor.h"

using namespace kova::gui::context;
using Rect = kova::math::geom::Rectangle<int, 2>;
using Point = kova::math::geom::Point<int, 2>;

namespace {

// Hides both connections for the length of a test.
class DrawingWithoutDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedOwn = dps.exchange(nullptr);
        savedHost = dp.exchange(nullptr);
    }
    void TearDown() override
    {
        dps.store(savedOwn);
        dp.store(savedHost);
    }
    Display* savedOwn = nullptr;
    Display* savedHost = nullptr;
};

TEST_F(DrawingWithoutDisplay, ColoursAreZero)
{
    EXPECT_EQ(kova::gui::SCOL(255, 128, 0), 0);
    kova::gui::SColourListSimple list;
    EXPECT_EQ(list.Count(), 8);
}

TEST_F(DrawingWithoutDisplay, FontsLoadNothingAndMeasureZero)
{
    SDrawFont font(10, true, false, false, nullptr);
    EXPECT_STREQ(font.Name().c_str(), "-adobe-helvetica-bold-r-*--12-*-*-*-*-*-iso8859-1");
    EXPECT_EQ(font.Info(), nullptr);
    SDrawFont large(12, false, false, false, nullptr);
    EXPECT_STREQ(large.Name().c_str(), "-adobe-helvetica-medium-r-normal--13-*-*-*-*-*-iso8859-1")
        << "the last trial name stays";
    SDrawFont standard(true);
    EXPECT_EQ(standard.Info(), nullptr);
    SDrawing drawing;
    int w = -1, h = -1;
    drawing.GetTextDimensions("text", &w, &h, &font);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}

TEST_F(DrawingWithoutDisplay, BitmapsAndDevicesStayEmpty)
{
    SDrawBitmap bitmap(nullptr, 50, 30, false);
    EXPECT_EQ(bitmap.GetPixmap(), 0u);
    EXPECT_EQ(bitmap.Width(), 0);
    SDrawMemoryDevice memory(nullptr, &bitmap);
    EXPECT_EQ(memory.GetDrawable(), 0u);
    EXPECT_EQ(memory.Get(), nullptr);
    SDrawDevice device(123);
    EXPECT_EQ(device.Get(), nullptr);
}

TEST_F(DrawingWithoutDisplay, ADrawingContextDrawsNothingAndSurvives)
{
    SDrawing drawing(nullptr, nullptr);
    drawing.FillRect(0, 0, 10, 10);
    drawing.DrawRoundedRect(0, 0, 10, 10, 4, 4);
    drawing.DrawPixelNumber(0, 0, 8);
    drawing.DrawLabel("label", Rect(0, 0, 10, 10), 0, Point(0, 0));
    drawing.DrawRotatedText("label", Rect(0, 0, 10, 10), 45, 0, Point(0, 0));
    SDrawBitmap bitmap(nullptr, 5, 5, false);
    SDrawMemoryDevice memory(drawing.GetDevice(), &bitmap);
    drawing.DrawMemory(&memory, 0, 0, 0, 0, 5, 5);
    EXPECT_NE(drawing.GetDevice(), nullptr);
}

TEST_F(DrawingWithoutDisplay, CursorsAndImagesAreInert)
{
    kova::gui::SCursor typed(2, 42);
    EXPECT_EQ(typed.GetCursor(), 0u);
    typed.Set();
    typed.Free();
    kova::gui::SCursor arrow;
    arrow.CreateDefault();
    EXPECT_EQ(arrow.GetCursor(), 0u);
    kova::gui::SCursorDefault root;
    root.Set();
    EXPECT_FALSE(root.IsActive());
    SDrawImage image(std::malloc(64), 4, 4, 16, 32);
    EXPECT_EQ(image.Get(), nullptr);
}

TEST(DrawingColourTable, TakesTwentyNineColoursAndRefusesMore)
{
    SColourTable table;
    for (int i = 0; i < 29; ++i)
        EXPECT_TRUE(table.Add(100 + i));
    EXPECT_FALSE(table.Add(999));
    EXPECT_EQ(table.Count(), 29);
    EXPECT_EQ(table.Get(0), 100);
    EXPECT_EQ(table.Get(28), 128);
    EXPECT_EQ(table.Get(29), 0);
    EXPECT_EQ(table.Get(-1), 0);
}

int deletedBitmaps = 0;
struct CountingBitmap : SDrawBitmap {
    ~CountingBitmap() override { ++deletedBitmaps; }
};

TEST(DrawingResourceLists, OwnedListsDeleteTheirEntriesAndPlainListsDoNot)
{
    deletedBitmaps = 0;
    auto* kept = new SDrawBrush(1, SDrawBrush::Solid, new CountingBitmap);
    {
        SBrushList plain;
        plain.Add(kept);
    }
    EXPECT_EQ(deletedBitmaps, 0);
    {
        SBrushListOwned owned;
        owned.Add(kept);
        owned.Add(new SDrawBrush(2, SDrawBrush::Solid, new CountingBitmap));
        owned.Add(nullptr);
    }
    EXPECT_EQ(deletedBitmaps, 2) << "each brush deletes its bitmap";
}

TEST(DrawingResourceLists, BrushesMatchBySolidOrSecondColour)
{
    SDrawBrush solid(7, SDrawBrush::Solid, nullptr);
    EXPECT_EQ(solid.EffectiveColour(), 7);
    SDrawBrush patterned(7, 3, nullptr);
    EXPECT_EQ(patterned.EffectiveColour(), 0);
    patterned.SetSecondColour(9);
    EXPECT_EQ(patterned.EffectiveColour(), 9);
}

TEST(DrawingResourceLists, StaticDataDestroysItsListsOnlyOnce)
{
    SStaticData data;
    EXPECT_FALSE(data.ColoursReady());
    SDrawPen* pen = data.FindPen(5);
    EXPECT_EQ(data.FindPen(5), pen);
    EXPECT_EQ(pen->Width(), 1);
    data.DestroyLists();
    EXPECT_EQ(data.Pens(), nullptr);
    EXPECT_EQ(data.FindPen(5), nullptr) << "nothing is found after the lists are gone";
    data.DestroyLists();
}

TEST(DrawingColourValues, DefaultToOpaqueWhite)
{
    kova::gui::SColour c;
    EXPECT_EQ(c.red, 255.0f);
    EXPECT_EQ(c.alpha, 255.0f);
    kova::gui::SColour d((unsigned char)1, (unsigned char)2, (unsigned char)3, (unsigned char)4);
    EXPECT_EQ(d.blue, 3.0f);
}

}  // namespace
