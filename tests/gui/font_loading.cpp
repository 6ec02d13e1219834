// Choosing X core fonts by size and style, and their fallbacks.
#include "drawing_fixture.h"

#include <string>

#include "kova/gui/context/font.h"

using namespace drawing_test;
using kova::gui::context::SDrawFont;

namespace {

class FontLoading : public DrawingTest {};

TEST_F(FontLoading, PixelSizesAddAQuarter)
{
    EXPECT_EQ(SDrawFont::PixelSize(7), 8);
    EXPECT_EQ(SDrawFont::PixelSize(8), 10);
    EXPECT_EQ(SDrawFont::PixelSize(10), 12);
    EXPECT_EQ(SDrawFont::PixelSize(12), 15);
}

TEST_F(FontLoading, SmallTextUsesTheFixedFontWhateverTheStyle)
{
    SDrawFont plain(7, false, false, false, nullptr);
    EXPECT_STREQ(plain.Name().c_str(), "-misc-fixed-medium-r-*--8-*-*-*-*-*-iso8859-1");
    EXPECT_NE(plain.Info(), nullptr);
    SDrawFont styled(6, true, true, false, nullptr);
    EXPECT_STREQ(styled.Name().c_str(), "-misc-fixed-medium-r-*--7-*-*-*-*-*-iso8859-1");
    EXPECT_NE(styled.Info(), nullptr);
}

TEST_F(FontLoading, MiddleSizesUseHelveticaWithBoldAndOblique)
{
    SDrawFont plain(8, false, false, false, nullptr);
    EXPECT_STREQ(plain.Name().c_str(), "-adobe-helvetica-medium-r-*--10-*-*-*-*-*-iso8859-1");
    SDrawFont bold(10, true, false, false, nullptr);
    EXPECT_STREQ(bold.Name().c_str(), "-adobe-helvetica-bold-r-*--12-*-*-*-*-*-iso8859-1");
    SDrawFont italic(10, false, true, false, nullptr);
    EXPECT_STREQ(italic.Name().c_str(), "-adobe-helvetica-medium-o-*--12-*-*-*-*-*-iso8859-1");
    for (SDrawFont* f : {&plain, &bold, &italic}) {
        ASSERT_NE(f->Info(), nullptr) << f->Name().c_str();
        EXPECT_NE(f->Id(), 0u);
        EXPECT_GT(f->Ascent(), 0);
    }
}

TEST_F(FontLoading, LargeSizesTakeTheFirstTrialSizeThatLoads)
{
    // Size 12 asks for 15 pixels and tries 19 first; size 11 tries 17 first.
    // The server scales helvetica, so the first trial loads.
    SDrawFont twelve(12, false, false, false, nullptr);
    EXPECT_STREQ(twelve.Name().c_str(), "-adobe-helvetica-medium-r-normal--19-*-*-*-*-*-iso8859-1");
    ASSERT_NE(twelve.Info(), nullptr);
    SDrawFont eleven(11, true, true, false, nullptr);
    EXPECT_STREQ(eleven.Name().c_str(), "-adobe-helvetica-bold-r-normal--17-*-*-*-*-*-iso8859-1")
        << "italic plays no part at large sizes";
    ASSERT_NE(eleven.Info(), nullptr);
    EXPECT_GT(twelve.Ascent() + twelve.Descent(), eleven.Ascent() + eleven.Descent() - 1);
}

TEST_F(FontLoading, AnUnknownFamilyMeasuresZeroAndDrawsNothing)
{
    SDrawFont missing(10, false, false, false, "nosuchfoundry-nosuchfamily");
    EXPECT_STREQ(missing.Name().c_str(), "-nosuchfoundry-nosuchfamily-medium-r-normal--12-*-*-*-*-*-iso8859-1");
    EXPECT_EQ(missing.Info(), nullptr);
    int w = -1, h = -1;
    drawing->GetTextDimensions("Tessaro", &w, &h, &missing);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    drawing->SetFont(&missing);
    drawing->DrawText("Tessaro", 10, 10);
    drawing->DrawLabel("Tessaro", Rect(0, 0, 100, 40), 0, Point(0, 0));
    drawing->DrawRotatedText("Tessaro", Rect(0, 0, 100, 100), 90, 0, Point(0, 0));
    drawing->DrawVerticalLabel("Tessaro", Rect(0, 0, 100, 100), 0, 0, Point(0, 0), false, false, nullptr);
    EXPECT_EQ(Take().LitCount(), 0);
}

TEST_F(FontLoading, TheDefaultFontComesFromTheDefaultGC)
{
    SDrawFont standard(true);
    EXPECT_EQ(standard.Size(), 10);
    EXPECT_TRUE(standard.Name().Empty());
    ASSERT_NE(standard.Info(), nullptr);
    drawing->SetFont(&standard);
    drawing->DrawText("Default", 5, 5);
    EXPECT_GT(Take().LitCount(), 0);
}

TEST_F(FontLoading, SharedFontsAreFoundBySizeAndStyle)
{
    SDrawFont* a = statdata->FindFont(9, false, false);
    SDrawFont* b = statdata->FindFont(9, false, false);
    SDrawFont* c = statdata->FindFont(9, true, false);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_TRUE(c->Bold());
    EXPECT_NE(a->Info(), nullptr);
}

TEST_F(FontLoading, SharedFontsBelongToTheConnectionTheyWereLoadedOn)
{
    // A host that hands over its own connection after fonts were loaded on
    // the plug-in's: the host's GCs need fonts of their own.
    Display* host = XOpenDisplay(DisplayString(display));
    ASSERT_NE(host, nullptr);
    SDrawFont* own = statdata->FindFont(9, false, true);
    Display* saved = dp.exchange(host);
    SDrawFont* hosts = statdata->FindFont(9, false, true);
    dp.store(saved);
    EXPECT_NE(hosts, own);
    EXPECT_EQ(hosts->GetConnection(), host);
    EXPECT_NE(hosts->Info(), nullptr);
    EXPECT_EQ(statdata->FindFont(9, false, true), own);
    // The host may close its connection before the library is unloaded;
    // the unload then leaves that font's server side alone.
    XCloseDisplay(host);
}

TEST_F(FontLoading, TheFaceNameFormRecordsWithoutLoading)
{
    char face[] = "Helvetica";
    SDrawFont recorded(14, 0, 0, 0, true, false, 0, 0, 0, 0, 0, 0, 0, face);
    EXPECT_EQ(recorded.Size(), 14);
    EXPECT_TRUE(recorded.Bold());
    EXPECT_STREQ(recorded.Name().c_str(), "Helvetica");
    EXPECT_EQ(recorded.Info(), nullptr);
}

}  // namespace
