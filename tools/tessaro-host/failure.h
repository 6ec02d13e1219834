// How tessaro-host ends on a failure: one line on standard error, and the
// exit status to return.
#pragma once

#include <string>

namespace tessaro {
namespace host {

// What went wrong and what to do; returns 1.
int Fail(const std::string& message);
// A mistake on the command line: what was wrong, and where the usage is;
// returns 2.
int Usage(const std::string& message);

}  // namespace host
}  // namespace tessaro
