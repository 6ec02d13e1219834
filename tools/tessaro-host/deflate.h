// A small deflate compressor for the host's pictures: repeated strings
// found through a hash of their first three bytes, coded with the fixed
// Huffman codes of the deflate format (no code tables to build or store).
// Piano rolls and screenshots are mostly runs of one colour, which this
// shrinks by a factor of fifty and more.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaro {
namespace host {

// A raw deflate stream (one final block).
std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data);

// The zlib wrapping PNG wants: header, deflate stream, Adler-32.
std::vector<uint8_t> ZlibCompress(const std::vector<uint8_t>& data);

}  // namespace host
}  // namespace tessaro
