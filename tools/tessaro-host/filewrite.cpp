#include "tools/tessaro-host/filewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tessaro {
namespace host {

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0) {
        error = path + ": cannot write the file (" + std::strerror(errno) + ")";
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    const int writeError = done == bytes.size() ? 0 : errno;
    // mkstemp makes the file private; give it the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    if (close(fd) != 0 || writeError != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int why = writeError ? writeError : errno;
        unlink(temporary.c_str());
        error = path + ": cannot write the file (" + std::strerror(why ? why : EIO) + ")";
        return false;
    }
    return true;
}

}  // namespace host
}  // namespace tessaro
