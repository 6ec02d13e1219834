// Reading a whole input file that the user named: refused with one line
// that says what to do when it is a folder, cannot be read, or is larger
// than its kind of file can reasonably be (which also covers endless
// devices such as /dev/zero).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {
namespace host {

// `kind` names the file expected, for example "MIDI file".
bool ReadWholeFile(const std::string& path, const char* kind, size_t largest, std::vector<uint8_t>& bytes,
                   std::string& error);

}  // namespace host
}  // namespace tessaro
