// The whole editor as the user sees it, pixel for pixel, against the
// approved picture kept in tests/data. Run with TESSARO_APPROVE=1 to write a
// new approved picture after an intended change of the look.
#include "editor_fixture.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

using namespace widget_test;

namespace {

const std::string kApproved = std::string(TESSARO_SOURCE_DIR) + "/tests/data/editor.ppm";

// The window's pixels as binary PPM (P6) bytes.
std::string Capture(Display* d, Window w, int width, int height)
{
    XSync(d, False);
    XImage* image = XGetImage(d, w, 0, 0, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
    if (!image)
        return {};
    std::ostringstream out;
    out << "P6\n" << width << " " << height << "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            out.put((char)((p >> 16) & 0xFF)).put((char)((p >> 8) & 0xFF)).put((char)(p & 0xFF));
        }
    XDestroyImage(image);
    return out.str();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST_F(PanelTest, TheOpenEditorLooksExactlyLikeTheApprovedPicture)
{
    Open();
    ASSERT_NE(Panel(), nullptr);
    // Let the first idle calls refresh every control, and everything draw.
    ASSERT_TRUE(PumpUntil([&] { return Panel()->polyDial->GetValue() == 16; }));
    for (int i = 0; i < 10; ++i) {
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    const std::string shot = Capture(d, hostWindow, 260, 162);
    ASSERT_FALSE(shot.empty());

    const char* approve = std::getenv("TESSARO_APPROVE");
    if (approve && *approve == '1') {
        std::ofstream(kApproved, std::ios::binary) << shot;
        GTEST_SKIP() << "wrote the approved picture " << kApproved;
    }
    const std::string approved = ReadFile(kApproved);
    ASSERT_FALSE(approved.empty()) << "no approved picture at " << kApproved
                                   << " (run once with TESSARO_APPROVE=1 and look at it)";
    if (shot != approved) {
        const std::string actual = "/tmp/tessaro-editor-actual.ppm";
        std::ofstream(actual, std::ios::binary) << shot;
        size_t first = 0;
        while (first < shot.size() && first < approved.size() && shot[first] == approved[first])
            ++first;
        const size_t header = std::string("P6\n260 162\n255\n").size();
        const size_t pixel = first >= header ? (first - header) / 3 : 0;
        FAIL() << "the editor differs from " << kApproved << " first at x " << pixel % 260 << ", y " << pixel / 260
               << "; the actual picture is in " << actual;
    }
}
