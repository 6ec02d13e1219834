#include "bench/ratio_reporter.h"

#include <cstdio>
#include <utility>

namespace bench {

RatioReporter::RatioReporter(std::vector<Ratio> ratios) : ratios_(std::move(ratios)) {}

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred || run.iterations == 0)
            continue;
        const std::string statistic = run.run_type == Run::RT_Aggregate ? run.aggregate_name : "";
        // With repetitions and no aggregates-only filter every repetition is
        // reported on its own; only the aggregates count then.
        if (run.run_type == Run::RT_Iteration && run.repetitions > 1)
            continue;
        times_[run.run_name.function_name][statistic] = run.GetAdjustedCPUTime();
        if (run.run_type == Run::RT_Aggregate)
            repetitions_ = run.repetitions;
    }
}

void RatioReporter::Finalize()
{
    ConsoleReporter::Finalize();
    std::FILE* out = stdout;
    std::fflush(out);
    if (repetitions_ > 1)
        std::fprintf(out, "\nRatios of CPU time to the baseline measured in this run (median / min of %lld repetitions):\n",
                     static_cast<long long>(repetitions_));
    else
        std::fprintf(out, "\nRatios of CPU time to the baseline measured in this run (one measurement each; "
                          "use repetitions for figures to rely on):\n");
    for (const Ratio& r : ratios_) {
        const auto m = times_.find(r.measured);
        const auto b = times_.find(r.baseline);
        std::fprintf(out, "  %-58s", r.label);
        if (m == times_.end() || b == times_.end()) {
            std::fprintf(out, "not measured\n");
            continue;
        }
        const char* const statistics[] = {"median", "min"};
        bool first = true;
        for (const char* statistic : statistics) {
            // A single run stands for every statistic.
            auto value = [statistic](const std::map<std::string, double>& s) {
                auto it = s.find(statistic);
                if (it == s.end())
                    it = s.find("");
                return it == s.end() ? -1.0 : it->second;
            };
            const double measured = value(m->second);
            const double baseline = value(b->second);
            std::fprintf(out, first ? "" : " / ");
            if (measured < 0.0 || baseline <= 0.0)
                std::fprintf(out, "n/a");
            else
                std::fprintf(out, "%.2fx", measured / baseline);
            first = false;
        }
        std::fprintf(out, "\n");
    }
    std::fflush(out);
}

}  // namespace bench
