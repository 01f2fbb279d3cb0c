#pragma once

// Ratios of benchmarks measured in the same run: the time per iteration of every repetition
// is kept by benchmark name, and the ratios of the medians and of the best repetitions are
// printed at the end. Repetitions run interleaved at random unless the command line
// chooses otherwise, so that a slower spell of the machine falls on both sides of a ratio.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace bench_ratios {

// Keeps the time per iteration of every repetition, by benchmark name, for the ratios.
class TimesReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        std::vector<double> real;
        std::vector<double> cpu;
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
                Times& times = m_times[run.run_name.function_name +
                                       (run.run_name.args.empty() ? "" : "/" + run.run_name.args)];
                times.real.push_back(run.GetAdjustedRealTime());
                times.cpu.push_back(run.GetAdjustedCPUTime());
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    const Times* Find(const std::string& name) const {
        const auto found = m_times.find(name);
        return found == m_times.end() ? nullptr : &found->second;
    }

private:
    std::map<std::string, Times> m_times;
};

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

inline double Best(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

// One line per clock: the ratio of the medians and of the best repetitions.
inline void PrintRatio(const TimesReporter& reporter, const char* what, const std::string& measured,
                       const std::string& base, const char* limit) {
    const TimesReporter::Times* top = reporter.Find(measured);
    const TimesReporter::Times* bottom = reporter.Find(base);
    if (top == nullptr || bottom == nullptr) {
        return;
    }
    std::printf("%s (%s / %s)%s:\n", what, measured.c_str(), base.c_str(), limit);
    std::printf("  wall: median %.2f, best %.2f\n", Median(top->real) / Median(bottom->real),
                Best(top->real) / Best(bottom->real));
    std::printf("  CPU:  median %.2f, best %.2f\n", Median(top->cpu) / Median(bottom->cpu),
                Best(top->cpu) / Best(bottom->cpu));
}

// One line per clock: (measured - part) / base, of the medians.
inline void PrintDifferenceRatio(const TimesReporter& reporter, const char* what,
                                 const std::string& measured, const std::string& part,
                                 const std::string& base) {
    const TimesReporter::Times* top = reporter.Find(measured);
    const TimesReporter::Times* less = reporter.Find(part);
    const TimesReporter::Times* bottom = reporter.Find(base);
    if (top == nullptr || less == nullptr || bottom == nullptr) {
        return;
    }
    std::printf("%s ((%s - %s) / %s):\n", what, measured.c_str(), part.c_str(), base.c_str());
    std::printf("  wall: median %.2f\n",
                (Median(top->real) - Median(less->real)) / Median(bottom->real));
}

// The repetitions and their interleaving, unless the command line chooses them.
inline std::vector<char*> WithDefaultRepetitions(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    static char repetitions[] = "--benchmark_repetitions=9";
    static char interleaving[] = "--benchmark_enable_random_interleaving=true";
    const bool chosen = std::any_of(args.begin(), args.end(), [](const char* arg) {
        return std::strncmp(arg, "--benchmark_repetitions", 23) == 0;
    });
    if (!chosen) {
        args.push_back(repetitions);
        args.push_back(interleaving);
    }
    args.push_back(nullptr);
    return args;
}

// Runs the benchmarks the command line selects (9 interleaved repetitions unless it chooses
// them) and then printRatios, with the times of every repetition. The result for main.
template <typename PrintRatios>
int RunBenchmarks(int argc, char** argv, PrintRatios printRatios) {
    std::vector<char*> args = WithDefaultRepetitions(argc, argv);
    int count = static_cast<int>(args.size()) - 1;
    benchmark::Initialize(&count, args.data());
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios:\n");
    printRatios(reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench_ratios
