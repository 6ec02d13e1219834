// The benchmark program starts and ends like a host loading the plug-in, so
// the engine linked in finds the process-wide resources it expects. After
// the usual output it prints each path's ratio to its baseline (a plain
// copy, a pass-through, the VST 2 path), and the steal cases' ratios to one
// another.
#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"
#include "plugin/library.h"

int main(int argc, char** argv)
{
    TessaroLibraryLoad();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    bench::RatioReporter reporter({
        {"audio path vs memcpy", "AudioPath_Engine", "AudioPath_PlainCopy"},
        {"audio path through tessaro.so vs memcpy", "AudioPath_EngineThroughSharedObject", "AudioPath_PlainCopy"},
        {"event path, polyphony 16, kill on, vs copy", "EventPath_Poly16Kill", "EventPath_PlainCopy"},
        {"event path, 127 notes sounding, kill on, vs copy", "EventPath_FullTableKill",
         "EventPath_PlainCopyFullTable"},
        {"event path through tessaro.so, polyphony 16, vs copy", "EventPath_Poly16KillThroughSharedObject",
         "EventPath_PlainCopy"},
        {"event path through tessaro.so, 127 sounding, vs copy", "EventPath_FullTableKillThroughSharedObject",
         "EventPath_PlainCopyFullTable"},
        {"steal, newest vs oldest, 127 sounding", "Steal_Newest127", "Steal_Oldest127"},
        {"steal, lowest vs oldest, 127 sounding", "Steal_Lowest127", "Steal_Oldest127"},
        {"steal, highest vs oldest, 127 sounding", "Steal_Highest127", "Steal_Oldest127"},
        {"steal, quietest vs oldest, 127 sounding", "Steal_Quietest127", "Steal_Oldest127"},
        {"steal, oldest, 127 vs 15 sounding", "Steal_Oldest127", "Steal_Oldest15"},
        {"steal, newest, 127 vs 15 sounding", "Steal_Newest127", "Steal_Newest15"},
        {"steal, lowest, 127 vs 15 sounding", "Steal_Lowest127", "Steal_Lowest15"},
        {"steal, highest, 127 vs 15 sounding", "Steal_Highest127", "Steal_Highest15"},
        {"steal, quietest, 127 vs 15 sounding", "Steal_Quietest127", "Steal_Quietest15"},
        {"steal, oldest, note return on vs off", "Steal_OldestReturn127", "Steal_Oldest127"},
        {"steal, lowest, note return on vs off", "Steal_LowestReturn127", "Steal_Lowest127"},
        {"re-strike, lowest, note return on vs off", "Restrike_LowestReturn127", "Restrike_Lowest127"},
        {"LV2 run(), 256 events a block, vs pass-through", "Lv2Path_Tessaro256", "Lv2Path_PassThrough256"},
        {"LV2 run(), 32 events a block, vs pass-through", "Lv2Path_Tessaro32", "Lv2Path_PassThrough32"},
        {"LV2 run(), 256 events a block, vs VST 2 path", "Lv2Path_Tessaro256", "Lv2Path_Vst256"},
        {"LV2 run(), 32 events a block, vs VST 2 path", "Lv2Path_Tessaro32", "Lv2Path_Vst32"},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    TessaroLibraryUnload();
    return 0;
}
