#include "tools/tessaro-host/failure.h"

#include <cstdio>

namespace tessaro {
namespace host {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "tessaro-host: %s\n", message.c_str());
    return 1;
}

int Usage(const std::string& message)
{
    std::fprintf(stderr, "tessaro-host: %s (tessaro-host --help shows the usage)\n", message.c_str());
    return 2;
}

}  // namespace host
}  // namespace tessaro
