// Bitmaps from XPM data, memory devices and their copies onto a drawable.
#include "drawing_fixture.h"

#include "kova/gui/context/bitmap.h"
#include "kova/gui/context/image.h"
#include "kova/gui/context/memorydevice.h"
#include "kova/images/text_logo.h"

using namespace drawing_test;
using kova::gui::context::SDrawBitmap;
using kova::gui::context::SDrawBitmapMask;
using kova::gui::context::SDrawImage;
using kova::gui::context::SDrawMemoryDevice;

namespace {

// 4 x 3: a red top row, a green middle row, a blue bottom row with a white
// last pixel.
const char* const stripes[] = {
    "4 3 4 1",
    "r c #FF0000",
    "g c #00FF00",
    "b c #0000FF",
    "w c #FFFFFF",
    "rrrr",
    "gggg",
    "bbbw",
};

const char* const broken[] = {
    "4 3 1 1",
    "r c #FF0000",
    "rr",
};

void* Xpm(const char* const* lines)
{
    return const_cast<char**>(lines);
}

class Bitmaps : public DrawingTest {};

TEST_F(Bitmaps, ABlankBitmapHasTheSizeAskedFor)
{
    SDrawBitmap blank(nullptr, 50, 30, false);
    EXPECT_EQ(blank.Width(), 50);
    EXPECT_EQ(blank.Height(), 30);
    EXPECT_NE(blank.GetPixmap(), 0u);
    SDrawBitmap none;
    EXPECT_EQ(none.Width(), 0);
    EXPECT_EQ(none.Height(), 0);
}

TEST_F(Bitmaps, AnXpmImageBringsItsOwnSize)
{
    SDrawBitmap image(Xpm(stripes), 1, 1, false);
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.Height(), 3);
}

TEST_F(Bitmaps, TheTitleArtworkLoadsAtItsOwnSize)
{
    SDrawBitmap logo(Xpm(kova::images::text_logo), 1, 1, false);
    EXPECT_EQ(logo.Width(), 234);
    EXPECT_EQ(logo.Height(), 30);
}

TEST_F(Bitmaps, ASecondCreateKeepsTheFirstPixmap)
{
    SDrawBitmap image(Xpm(stripes), 1, 1, false);
    Pixmap first = image.GetPixmap();
    image.Create(nullptr, 80, 80, true);
    EXPECT_EQ(image.GetPixmap(), first);
    EXPECT_EQ(image.Width(), 4);
    EXPECT_FALSE(image.Flag());
}

TEST_F(Bitmaps, BrokenXpmDataNeitherCrashesNorDraws)
{
    SDrawBitmap bad(Xpm(broken), 10, 10, false);
    EXPECT_LE(bad.Width(), 1);
    SDrawMemoryDevice device(drawing->GetDevice(), &bad);
    drawing->DrawMemory(&device, 0, 0, 0, 0, 10, 10);
    EXPECT_EQ(Take().LitCount(), 0);
}

TEST_F(Bitmaps, MasksAreNeverInUse)
{
    SDrawBitmapMask mask;
    mask.SetMask(nullptr, 7);
    EXPECT_FALSE(mask.Use());
    EXPECT_EQ(mask.MaskValue(), 7);
    SDrawBitmap plain;
    EXPECT_FALSE(plain.Use());
}

class BitmapMemoryDevices : public DrawingTest {};

TEST_F(BitmapMemoryDevices, AnXpmImageCopiesOntoTheWindowPixelForPixel)
{
    SDrawBitmap image(Xpm(stripes), 4, 3, false);
    SDrawMemoryDevice device(drawing->GetDevice(), &image);
    drawing->DrawMemory(&device, Point(20, 30), Rect(0, 0, 4, 3));
    Snapshot s = Take();
    EXPECT_EQ(s.At(20, 30), 0xFF0000u);
    EXPECT_EQ(s.At(23, 30), 0xFF0000u);
    EXPECT_EQ(s.At(21, 31), 0x00FF00u);
    EXPECT_EQ(s.At(20, 32), 0x0000FFu);
    EXPECT_EQ(s.At(23, 32), 0xFFFFFFu);
    EXPECT_EQ(s.Footprint(), Rect(20, 30, 24, 33));
}

TEST_F(BitmapMemoryDevices, DrawingOffScreenAndCopyingMovesTheChosenArea)
{
    SDrawBitmap buffer(nullptr, 40, 30, false);
    SDrawMemoryDevice memory(drawing->GetDevice(), &buffer);

    auto* saved = drawing->GetDevice();
    drawing->SetDevice(&memory);
    drawing->SetBrush(statdata->FindBrush(black));
    drawing->FillRect(0, 0, 40, 30);
    drawing->SetBrush(statdata->FindBrush(white));
    drawing->FillRect(10, 10, 30, 20);
    drawing->SetDevice(saved);
    EXPECT_EQ(Take().LitCount(), 0) << "nothing reaches the window before the copy";

    // The 20 x 10 area at (10, 10) of the source lands at (5, 6).
    drawing->DrawMemory(&memory, 5, 6, 10, 10, 30, 20);
    Snapshot s = Take();
    EXPECT_EQ(s.Footprint(), Rect(5, 6, 25, 16));
    EXPECT_EQ(s.LitCount(), 200);
}

TEST_F(BitmapMemoryDevices, TheByteAndMaskFormsCopyTheSameWay)
{
    SDrawBitmap image(Xpm(stripes), 4, 3, false);
    SDrawMemoryDevice device(drawing->GetDevice(), &image);
    drawing->DrawMemory(&device, 0, 0, 0, 0, 4, 3, (unsigned char)1);
    drawing->DrawMemory(&device, Point(10, 0), Rect(0, 0, 4, 3), 0, nullptr);
    Snapshot s = Take();
    EXPECT_EQ(s.At(0, 0), 0xFF0000u);
    EXPECT_EQ(s.At(13, 2), 0xFFFFFFu);
}

TEST_F(BitmapMemoryDevices, ACopyFromNoDeviceDoesNothing)
{
    drawing->DrawMemory(nullptr, 0, 0, 0, 0, 10, 10);
    drawing->DrawMemory(nullptr, Point(0, 0), Rect(0, 0, 10, 10));
    EXPECT_EQ(Take().LitCount(), 0);
}

TEST_F(BitmapMemoryDevices, SelectingAnotherBitmapRetargetsTheDevice)
{
    SDrawBitmap first(nullptr, 10, 10, false);
    SDrawBitmap second(Xpm(stripes), 4, 3, false);
    SDrawMemoryDevice device(drawing->GetDevice(), &first);
    EXPECT_EQ(device.GetDrawable(), first.GetPixmap());
    device.Select(&second);
    EXPECT_EQ(device.GetDrawable(), second.GetPixmap());
    EXPECT_EQ(device.GetBitmap(), &second);
    device.Select(nullptr);
    EXPECT_EQ(device.GetBitmap(), &second);
    drawing->DrawMemory(&device, 0, 0, 0, 0, 4, 3);
    EXPECT_EQ(Take().At(3, 2), 0xFFFFFFu);
}

class BitmapImages : public DrawingTest {};

TEST_F(BitmapImages, AnImageWithoutSizeBecomesOnePixel)
{
    void* buffer = std::malloc(16);
    SDrawImage image(buffer, 0, 0, 4, 32);
    EXPECT_EQ(image.Width(), 1);
    EXPECT_EQ(image.Height(), 1);
    ASSERT_NE(image.Get(), nullptr);
}

TEST_F(BitmapImages, AnImagePutsItsAreaAtTheTargetCorner)
{
    const int w = 8, h = 4;
    void* buffer = std::malloc((size_t)w * h * 4);
    SDrawImage image(buffer, w, h, w * 4, 32);
    ASSERT_NE(image.Get(), nullptr);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            XPutPixel(image.Get(), x, y, x >= 4 ? 0x00FF00 : 0);
    drawing->DrawImage(&image, Rect(4, 0, 8, 4), Rect(50, 60, 51, 61));
    Snapshot s = Take();
    EXPECT_EQ(s.Footprint(), Rect(50, 60, 54, 64));
    EXPECT_EQ(s.At(52, 62), 0x00FF00u);
}

}  // namespace
