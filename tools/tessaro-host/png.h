// PNG writing without a compression library: 8-bit RGB rows, compressed by
// the host's own small deflate coder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {
namespace host {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler = 1);

// Encodes 8-bit RGB pixels, row after row, three bytes per pixel.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb);
bool WritePngFile(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                  std::string& error);

}  // namespace host
}  // namespace tessaro
