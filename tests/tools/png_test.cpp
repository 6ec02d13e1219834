// The PNG writer: chunks any reader can take apart, pixels that come back
// exactly, and the drawing primitives of the pictures.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <random>

#include "tools/tessaro-host/image.h"
#include "tools/tessaro-host/png.h"

using namespace tessaro::host;

namespace {

uint32_t Be32(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

// CRC-32 as the PNG format defines it, bit by bit.
uint32_t Crc32(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

struct Chunk {
    std::string type;
    std::vector<uint8_t> body;
};

// Splits a PNG into chunks, checking every CRC on the way.
std::vector<Chunk> Chunks(const std::vector<uint8_t>& png)
{
    std::vector<Chunk> chunks;
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length = Be32(png, at);
        Chunk c;
        c.type.assign(reinterpret_cast<const char*>(&png[at + 4]), 4);
        c.body.assign(png.begin() + ptrdiff_t(at + 8), png.begin() + ptrdiff_t(at + 8 + length));
        EXPECT_EQ(Be32(png, at + 8 + length), Crc32(&png[at + 4], length + 4)) << c.type;
        chunks.push_back(c);
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    return chunks;
}

// The pixels of a PNG as libpng's reader gives them back, 8-bit RGB.
std::vector<uint8_t> Decode(const std::vector<uint8_t>& png, int& width, int& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> rgb;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
        ADD_FAILURE() << image.message;
        return rgb;
    }
    image.format = PNG_FORMAT_RGB;
    width = int(image.width);
    height = int(image.height);
    rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        ADD_FAILURE() << image.message;
        rgb.clear();
    }
    return rgb;
}

}  // namespace

TEST(PngImages, APictureComesBackPixelForPixelInCheckedChunks)
{
    const int w = 300, h = 100;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i)  // noise above, flat colour below
        rgb[i] = i < rgb.size() / 2 ? uint8_t(i * 7 + i / 13 + (i * i) % 251) : uint8_t(i % 3 == 0 ? 200 : 40);
    const std::vector<uint8_t> png = EncodePng(w, h, rgb);
    ASSERT_GT(png.size(), 8u);
    ASSERT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);

    const auto chunks = Chunks(png);  // every chunk's checksum is checked
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(Be32(chunks[0].body, 0), uint32_t(w));
    EXPECT_EQ(Be32(chunks[0].body, 4), uint32_t(h));
    EXPECT_EQ(chunks[0].body[8], 8);  // bits per channel
    EXPECT_EQ(chunks[0].body[9], 2);  // truecolour
    EXPECT_EQ(chunks.back().type, "IEND");
    EXPECT_EQ(Be32(png, png.size() - 4), 0xAE426082u);  // the IEND chunk's published checksum

    int width = 0, height = 0;
    EXPECT_EQ(Decode(png, width, height), rgb);
    EXPECT_EQ(width, w);
    EXPECT_EQ(height, h);
}

TEST(PngImages, TextAndRectanglesStayInsideThePicture)
{
    RgbImage img(20, 10, {0, 0, 0});
    img.FillRect(-5, -5, 3, 3, {255, 0, 0});
    img.FillRect(18, 8, 40, 40, {0, 255, 0});
    EXPECT_EQ(img.At(0, 0).r, 255);
    EXPECT_EQ(img.At(2, 2).r, 255);
    EXPECT_EQ(img.At(3, 3).r, 0);
    EXPECT_EQ(img.At(19, 9).g, 255);
    EXPECT_EQ(img.Text(15, 5, "AB", {255, 255, 255}), 27);  // clipped, not crashed
    // "1" has its top pixel in the middle column.
    RgbImage one(6, 7, {0, 0, 0});
    one.Text(0, 0, "1", {9, 9, 9});
    EXPECT_EQ(one.At(2, 0).r, 9);
    EXPECT_EQ(one.At(0, 0).r, 0);
}

TEST(PngImages, PicturesOfEveryKindComeBackAndFlatOnesAreSmall)
{
    std::mt19937 random(7);
    struct Picture {
        int w, h;
        std::vector<uint8_t> rgb;
    };
    std::vector<Picture> pictures = {{1, 1, {42, 0, 255}}, {400, 100, std::vector<uint8_t>(400 * 100 * 3, 9)}};
    Picture noise{200, 117, std::vector<uint8_t>(200 * 117 * 3)};
    for (uint8_t& b : noise.rgb)
        b = uint8_t(random());
    pictures.push_back(noise);
    Picture few{333, 50, std::vector<uint8_t>(333 * 50 * 3)};
    for (uint8_t& b : few.rgb)
        b = uint8_t(random() % 3);
    pictures.push_back(few);
    for (const Picture& p : pictures) {
        int width = 0, height = 0;
        EXPECT_EQ(Decode(EncodePng(p.w, p.h, p.rgb), width, height), p.rgb) << p.w << " x " << p.h;
        EXPECT_EQ(std::make_pair(width, height), std::make_pair(p.w, p.h));
    }
    EXPECT_LT(EncodePng(400, 100, pictures[1].rgb).size(), 2000u);
    EXPECT_TRUE(EncodePng(10, 10, std::vector<uint8_t>(299)).empty());  // too few pixels: nothing
}
