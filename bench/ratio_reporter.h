// Console output of the benchmarks followed by the figures that matter:
// each path's time as a ratio to its baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace bench {

struct Ratio {
    const char* label;
    const char* measured;  // benchmark name
    const char* baseline;  // benchmark name of the copy it is held against
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<Ratio> ratios);

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    // CPU time per iteration by benchmark name, then by statistic ("" for a
    // single run without repetitions).
    std::map<std::string, std::map<std::string, double>> times_;
    std::vector<Ratio> ratios_;
    int64_t repetitions_ = 0;
};

}  // namespace bench
