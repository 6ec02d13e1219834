#include "tools/tessaro-host/deflate.h"

#include "tools/tessaro-host/png.h"

#include <algorithm>

namespace tessaro {
namespace host {

namespace {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr size_t kWindow = 32768;
constexpr int kHashBits = 15;
constexpr int kChainLimit = 32;  // candidates tried per position

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Bits go out least significant first; Huffman codes most significant
// first, so they are reversed on the way in.
class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}

    void Bits(uint32_t value, int count)
    {
        acc_ |= value << used_;
        used_ += count;
        while (used_ >= 8) {
            out_.push_back(uint8_t(acc_));
            acc_ >>= 8;
            used_ -= 8;
        }
    }

    void Code(uint32_t code, int length)
    {
        uint32_t reversed = 0;
        for (int i = 0; i < length; ++i)
            reversed |= ((code >> i) & 1) << (length - 1 - i);
        Bits(reversed, length);
    }

    void Flush()
    {
        if (used_ > 0)
            out_.push_back(uint8_t(acc_));
        acc_ = 0;
        used_ = 0;
    }

private:
    std::vector<uint8_t>& out_;
    uint32_t acc_ = 0;
    int used_ = 0;
};

// The fixed literal/length code.
void Symbol(BitWriter& w, int symbol)
{
    if (symbol < 144)
        w.Code(0x30 + uint32_t(symbol), 8);
    else if (symbol < 256)
        w.Code(0x190 + uint32_t(symbol - 144), 9);
    else if (symbol < 280)
        w.Code(uint32_t(symbol - 256), 7);
    else
        w.Code(0xC0 + uint32_t(symbol - 280), 8);
}

void Match(BitWriter& w, int length, int distance)
{
    int l = 28;
    while (kLengthBase[l] > length)
        --l;
    Symbol(w, 257 + l);
    w.Bits(uint32_t(length - kLengthBase[l]), kLengthExtra[l]);
    int d = 29;
    while (kDistanceBase[d] > distance)
        --d;
    w.Code(uint32_t(d), 5);
    w.Bits(uint32_t(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

uint32_t Hash(const uint8_t* p)
{
    const uint32_t v = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    return (v * 2654435761u) >> (32 - kHashBits);
}

}  // namespace

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out;
    BitWriter w(out);
    w.Bits(1, 1);  // final block
    w.Bits(1, 2);  // fixed Huffman codes

    const size_t n = data.size();
    std::vector<int64_t> head(size_t(1) << kHashBits, -1);
    std::vector<int64_t> previous(n, -1);
    auto insert = [&](size_t at) {
        if (at + kMinMatch <= n) {
            const uint32_t h = Hash(&data[at]);
            previous[at] = head[h];
            head[h] = int64_t(at);
        }
    };

    size_t i = 0;
    while (i < n) {
        int bestLength = 0;
        size_t bestDistance = 0;
        if (i + kMinMatch <= n) {
            int64_t candidate = head[Hash(&data[i])];
            const size_t limit = std::min<size_t>(kMaxMatch, n - i);
            for (int tries = 0; candidate >= 0 && tries < kChainLimit; ++tries) {
                const size_t distance = i - size_t(candidate);
                if (distance > kWindow)
                    break;
                size_t length = 0;
                while (length < limit && data[size_t(candidate) + length] == data[i + length])
                    ++length;
                if (int(length) > bestLength) {
                    bestLength = int(length);
                    bestDistance = distance;
                    if (length == limit)
                        break;
                }
                candidate = previous[size_t(candidate)];
            }
        }
        if (bestLength >= kMinMatch) {
            Match(w, bestLength, int(bestDistance));
            for (int k = 0; k < bestLength; ++k)
                insert(i + size_t(k));
            i += size_t(bestLength);
        } else {
            Symbol(w, data[i]);
            insert(i);
            ++i;
        }
    }
    Symbol(w, 256);  // end of block
    w.Flush();
    return out;
}

std::vector<uint8_t> ZlibCompress(const std::vector<uint8_t>& data)
{
    // Deflate with a 32 KiB window, no dictionary; the check bits make the
    // header a multiple of 31.
    std::vector<uint8_t> z = {0x78, 0x01};
    const std::vector<uint8_t> body = Deflate(data);
    z.insert(z.end(), body.begin(), body.end());
    const uint32_t adler = Adler32(data.data(), data.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        z.push_back(uint8_t(adler >> shift));
    return z;
}

}  // namespace host
}  // namespace tessaro
