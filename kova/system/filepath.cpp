#include "kova/system/filepath.h"

#include <cstring>

namespace kova::system {

int SFilePath::GetDir(char* buffer, const char* path, int size)
{
    if (!buffer)
        return 0;
    size_t capacity = size < 0 ? 512 : (size_t)size;
    if (capacity == 0)
        return 0;
    buffer[0] = 0;
    if (!path)
        return 0;
    const char* slash = std::strrchr(path, '/');
    if (!slash)
        return 0;
    size_t len = (size_t)(slash - path);
    if (len >= capacity)
        len = capacity - 1;
    std::memcpy(buffer, path, len);
    buffer[len] = 0;
    return (int)len;
}

}  // namespace kova::system
