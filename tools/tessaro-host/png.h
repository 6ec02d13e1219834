// PNG pictures of 8-bit RGB pixels (piano rolls, screenshots), encoded
// with libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {
namespace host {

// Encodes 8-bit RGB pixels, row after row, three bytes per pixel; empty
// when libpng fails (it only can when memory runs out).
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb);
bool WritePngFile(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                  std::string& error);

}  // namespace host
}  // namespace tessaro
