// The benchmark program starts and ends like a host loading the plug-in, so
// the engine linked in finds the process-wide resources it expects.
#include <benchmark/benchmark.h>

#include "plugin/library.h"

int main(int argc, char** argv)
{
    TessaroLibraryLoad();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TessaroLibraryUnload();
    return 0;
}
