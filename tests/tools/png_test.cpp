// The PNG writer: checksums and a file any reader can take apart.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tools/tessaro-host/deflate.h"
#include "tools/tessaro-host/image.h"
#include "tools/tessaro-host/png.h"

using namespace tessaro::host;

namespace {

uint32_t Be32(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
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

// An independent reader of zlib streams with stored and fixed-code blocks
// (all the host writes), checking the header and the Adler-32.
class Inflater {
public:
    explicit Inflater(const std::vector<uint8_t>& z) : z_(z) {}

    std::vector<uint8_t> Run()
    {
        EXPECT_EQ((z_[0] * 256 + z_[1]) % 31, 0);  // the header check bits
        EXPECT_EQ(z_[0] & 0x0F, 8);                 // deflate
        pos_ = 2;
        bool last = false;
        while (!last && !failed_) {
            last = Bits(1);
            const uint32_t type = Bits(2);
            if (type == 0)
                Stored();
            else if (type == 1)
                Fixed();
            else
                failed_ = true;
        }
        EXPECT_FALSE(failed_);
        const size_t end = pos_ + (bit_ ? 1 : 0);
        EXPECT_EQ(end + 4, z_.size());
        if (end + 4 <= z_.size()) {
            const uint32_t adler = (uint32_t(z_[end]) << 24) | (uint32_t(z_[end + 1]) << 16) |
                                   (uint32_t(z_[end + 2]) << 8) | z_[end + 3];
            EXPECT_EQ(adler, Adler32(out_.data(), out_.size()));
        }
        return out_;
    }

private:
    uint32_t Bits(int n)
    {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            if (pos_ >= z_.size()) {
                failed_ = true;
                return 0;
            }
            v |= uint32_t((z_[pos_] >> bit_) & 1) << i;
            if (++bit_ == 8) {
                bit_ = 0;
                ++pos_;
            }
        }
        return v;
    }

    // A Huffman code of `length` bits, most significant bit first.
    uint32_t Code(int length)
    {
        uint32_t v = 0;
        for (int i = 0; i < length; ++i)
            v = (v << 1) | Bits(1);
        return v;
    }

    void Stored()
    {
        if (bit_) {
            bit_ = 0;
            ++pos_;
        }
        const uint32_t len = Bits(16), nlen = Bits(16);
        EXPECT_EQ(len ^ 0xFFFF, nlen);
        for (uint32_t i = 0; i < len && !failed_; ++i)
            out_.push_back(uint8_t(Bits(8)));
    }

    int LiteralOrLength()
    {
        uint32_t c = Code(7);
        if (c <= 0x17)
            return int(256 + c);
        c = (c << 1) | Bits(1);
        if (c >= 0x30 && c <= 0xBF)
            return int(c - 0x30);
        if (c >= 0xC0 && c <= 0xC7)
            return int(280 + c - 0xC0);
        c = (c << 1) | Bits(1);
        return int(144 + c - 0x190);
    }

    void Fixed()
    {
        static const int lengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                         31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const int lengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                          2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        while (!failed_) {
            const int symbol = LiteralOrLength();
            if (symbol < 256) {
                out_.push_back(uint8_t(symbol));
                continue;
            }
            if (symbol == 256)
                return;
            const int l = symbol - 257;
            const int length = lengthBase[l] + int(Bits(lengthExtra[l]));
            const int d = int(Code(5));
            int distance = 1, extra = 0;
            for (int k = 0; k < d; ++k) {  // bases 1,2,3,4 then doubling pairs
                distance += 1 << extra;
                if (k >= 3 && k % 2 == 1)
                    ++extra;
            }
            distance += int(Bits(d < 4 ? 0 : (d - 2) / 2));
            if (distance <= 0 || size_t(distance) > out_.size()) {
                failed_ = true;
                return;
            }
            for (int k = 0; k < length; ++k)
                out_.push_back(out_[out_.size() - size_t(distance)]);
        }
    }

    const std::vector<uint8_t>& z_;
    std::vector<uint8_t> out_;
    size_t pos_ = 0;
    int bit_ = 0;
    bool failed_ = false;
};

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& z)
{
    return Inflater(z).Run();
}

}  // namespace

TEST(PngImages, ChecksumsMatchTheirPublishedValues)
{
    const char* check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>("IEND"), 4), 0xAE426082u);
    EXPECT_EQ(Adler32(reinterpret_cast<const uint8_t*>("Wikipedia"), 9), 0x11E60398u);
    // Adler-32 may be fed in pieces.
    const uint32_t part = Adler32(reinterpret_cast<const uint8_t*>("Wiki"), 4);
    EXPECT_EQ(Adler32(reinterpret_cast<const uint8_t*>("pedia"), 5, part), 0x11E60398u);
}

TEST(PngImages, APictureComesBackPixelForPixel)
{
    const int w = 300, h = 100;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i)  // noise above, flat colour below
        rgb[i] = i < rgb.size() / 2 ? uint8_t(i * 7 + i / 13 + (i * i) % 251) : uint8_t(i % 3 == 0 ? 200 : 40);
    const std::vector<uint8_t> png = EncodePng(w, h, rgb);
    ASSERT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);

    const auto chunks = Chunks(png);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(Be32(chunks[0].body, 0), uint32_t(w));
    EXPECT_EQ(Be32(chunks[0].body, 4), uint32_t(h));
    EXPECT_EQ(chunks[0].body[8], 8);  // bits per channel
    EXPECT_EQ(chunks[0].body[9], 2);  // truecolour
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");

    const std::vector<uint8_t> raw = Inflate(chunks[1].body);
    ASSERT_EQ(raw.size(), size_t(h) * (w * 3 + 1));
    for (int y = 0; y < h; ++y) {
        ASSERT_EQ(raw[size_t(y) * (w * 3 + 1)], 0) << "row " << y << " filter";
        ASSERT_EQ(std::memcmp(&raw[size_t(y) * (w * 3 + 1) + 1], &rgb[size_t(y) * w * 3], size_t(w) * 3), 0)
            << "row " << y;
    }
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

TEST(PngImages, CompressionGivesBackExactlyWhatWentIn)
{
    std::mt19937 random(7);
    std::vector<std::vector<uint8_t>> inputs = {{}, {42}, {1, 2}, std::vector<uint8_t>(100000, 9)};
    std::vector<uint8_t> noise(70000);
    for (uint8_t& b : noise)
        b = uint8_t(random());
    inputs.push_back(noise);
    // Repeats at every distance up to the whole 32 KiB window, and beyond it.
    std::vector<uint8_t> echoes;
    for (int round = 0; round < 6; ++round)
        echoes.insert(echoes.end(), noise.begin(), noise.begin() + 1 + (1 << (3 * round)) % 40000);
    inputs.push_back(echoes);
    std::vector<uint8_t> few(50000);
    for (uint8_t& b : few)
        b = uint8_t(random() % 3);  // short matches of every length
    inputs.push_back(few);
    for (const std::vector<uint8_t>& in : inputs) {
        const std::vector<uint8_t> z = ZlibCompress(in);
        EXPECT_EQ(Inflate(z), in) << in.size() << " bytes";
    }
    EXPECT_LT(ZlibCompress(std::vector<uint8_t>(100000, 9)).size(), 2000u);
}
