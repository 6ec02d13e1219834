// Every test executable starts and ends like a host loading and unloading
// the plug-in: the process-wide connection, system record and drawing
// resources exist for the whole run.
#include "plugin/library.h"

#include <gtest/gtest.h>

namespace {

class LibraryEnvironment : public testing::Environment {
public:
    void SetUp() override { TessaroLibraryLoad(); }
    void TearDown() override { TessaroLibraryUnload(); }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new LibraryEnvironment);

}  // namespace
