// The main of the scaling benchmarks: every case runs at a base size and at
// ten times that size. The runs are printed as usual and then, per case, the
// time at 10x over the time at 1x (the fastest repetition of each; use
// --benchmark_repetitions=3 or more): linear work gives about 10.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            Times& best = FTimes[run.run_name.function_name][std::stoll(run.run_name.args)];
            const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
            Keep(best.Cpu, run.GetAdjustedCPUTime() / unit);
            Keep(best.Real, run.GetAdjustedRealTime() / unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // CPU time is the cost; wall time also counts waiting for a shared CPU.
    void PrintRatios() const {
        std::printf("\n%-22s %9s %11s %11s %9s %10s\n", "case (CPU time)", "1x size", "1x", "10x",
                    "ratio", "wall ratio");
        for (const auto& [name, bySize] : FTimes) {
            for (const auto& [size, times] : bySize) {
                const auto tenfold = bySize.find(size * 10);
                if (size <= 0 || tenfold == bySize.end()) continue;
                const double ratio = tenfold->second.Cpu / times.Cpu;
                std::printf("%-22s %9lld %9.2fms %9.2fms %9.2f %10.2f%s\n", name.c_str(), size,
                            times.Cpu * 1e3, tenfold->second.Cpu * 1e3, ratio,
                            tenfold->second.Real / times.Real, ratio > 12 ? "  above 12!" : "");
            }
        }
    }

private:
    struct Times {
        double Cpu = 0, Real = 0;
    };
    static void Keep(double& best, double seconds) {
        best = best == 0 ? seconds : std::min(best, seconds);
    }
    std::map<std::string, std::map<long long, Times>> FTimes;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
