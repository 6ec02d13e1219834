#include "tools/tessaro-host/fileread.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tessaro {
namespace host {

namespace {

std::string Megabytes(size_t bytes)
{
    return std::to_string(bytes >> 20) + " MB";
}

}  // namespace

bool ReadWholeFile(const std::string& path, const char* kind, size_t largest, std::vector<uint8_t>& bytes,
                   std::string& error)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": cannot open the file (" + std::strerror(errno) + ")";
        return false;
    }
    struct stat st;
    bool ok = fstat(fd, &st) == 0;
    if (ok && S_ISDIR(st.st_mode)) {
        error = path + ": a folder, not a " + kind + "; give the path of the file";
        close(fd);
        return false;
    }
    const std::string tooLarge = path + ": larger than " + Megabytes(largest) + ", far beyond any real " + kind +
                                 "; check that this is the file you meant";
    if (ok && S_ISREG(st.st_mode) && uint64_t(st.st_size) > largest) {
        error = tooLarge;
        close(fd);
        return false;
    }
    // Devices and pipes have no size to check beforehand: read one byte
    // more than the limit allows and stop there.
    std::vector<uint8_t> data;
    data.resize(ok && S_ISREG(st.st_mode) ? size_t(st.st_size) + 1 : 65536);
    size_t done = 0;
    int why = 0;
    for (;;) {
        if (done == data.size())
            data.resize(std::min(data.size() * 2, largest + 1));
        const ssize_t n = read(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = errno;
            break;
        }
        if (n == 0)
            break;
        done += size_t(n);
        if (done > largest)
            break;
    }
    close(fd);
    if (why) {
        error = path + ": cannot read the file (" + std::strerror(why) + ")";
        return false;
    }
    if (done > largest) {
        error = tooLarge;
        return false;
    }
    data.resize(done);
    data.shrink_to_fit();
    bytes.swap(data);
    return true;
}

}  // namespace host
}  // namespace tessaro
