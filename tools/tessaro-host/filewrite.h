// Writing a whole file so that a failure loses nothing: the bytes go to a
// temporary file next to the target, which replaces the target only once
// everything is on disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {
namespace host {

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace host
}  // namespace tessaro
