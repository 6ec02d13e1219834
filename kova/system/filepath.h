// Path helpers of the toolkit.
#pragma once

namespace kova::system {

class SFilePath {
public:
    // Writes the directory part of `path` (everything before the last '/')
    // into `buffer`, which holds `size` bytes (-1: 512). Returns its length.
    static int GetDir(char* buffer, const char* path, int size);
};

}  // namespace kova::system
