// Seven-segment digits as the note display draws them.
#include "drawing_fixture.h"

#include <string>

using namespace drawing_test;

namespace {

// The 5 x 7 cell of the segments: columns x + 1 .. x + 5, rows y + 3 .. y + 9.
const char* const expected[10][7] = {
    {"#####", "#...#", "#...#", "#...#", "#...#", "#...#", "#####"},
    {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."},
    {"#####", "....#", "....#", "#####", "#....", "#....", "#####"},
    {"#####", "....#", "....#", "#####", "....#", "....#", "#####"},
    {"#...#", "#...#", "#...#", "#####", "....#", "....#", "....#"},
    {"#####", "#....", "#....", "#####", "....#", "....#", "#####"},
    {"#####", "#....", "#....", "#####", "#...#", "#...#", "#####"},
    {"#####", "....#", "....#", "....#", "....#", "....#", "....#"},
    {"#####", "#...#", "#...#", "#####", "#...#", "#...#", "#####"},
    {"#####", "#...#", "#...#", "#####", "....#", "....#", "#####"},
};

std::string Picture(const Snapshot& s, int x, int y)
{
    std::string rows;
    for (int r = 0; r < 7; ++r) {
        for (int c = 0; c < 5; ++c)
            rows += s.Lit(x + 1 + c, y + 3 + r) ? '#' : '.';
        rows += '\n';
    }
    return rows;
}

class DrawingDigits : public DrawingTest {};

TEST_F(DrawingDigits, EveryDigitLightsExactlyItsSegments)
{
    for (int digit = 0; digit <= 9; ++digit)
        drawing->DrawPixelNumber(10 * digit, 20, digit);
    Snapshot s = Take();
    int expectedLit = 0;
    for (int digit = 0; digit <= 9; ++digit) {
        std::string want;
        for (const char* row : expected[digit]) {
            want += row;
            want += '\n';
            for (const char* c = row; *c; ++c)
                expectedLit += *c == '#';
        }
        EXPECT_EQ(Picture(s, 10 * digit, 20), want) << "digit " << digit;
    }
    EXPECT_EQ(s.LitCount(), expectedLit) << "nothing outside the cells";
}

TEST_F(DrawingDigits, NumbersOutsideZeroToNineDrawNothing)
{
    drawing->DrawPixelNumber(10, 10, 10);
    drawing->DrawPixelNumber(30, 10, -1);
    Point p(50, 10);
    drawing->DrawVerticalPixelNumber(p, 8, false);
    EXPECT_EQ(Take().LitCount(), 0);
}

TEST_F(DrawingDigits, ThePointFormDrawsAtThePoint)
{
    Point p(40, 40);
    drawing->DrawPixelNumber(p, 7);
    Snapshot s = Take();
    EXPECT_EQ(s.Footprint(), Rect(41, 43, 46, 50));
}

}  // namespace
