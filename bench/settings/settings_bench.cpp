// What a settings read and a settings write cost, against the floor of reading the hive
// file's bytes alone, on a hive of 200 values. Prints the medians and their ratios.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "platform/registry/registry.h"
#include "settings/store/properties.h"
#include "tests/support/temp_folder.h"

namespace registry = platform::registry;

namespace {

std::string gFolder;

void FillHive() {
    // The properties, the default file types and other values up to 200 values in all.
    registry::SetSyncWrites(false);
    SetPropertyString(property::kTitleMask, "%3 - %2");
    SetPropertyString(property::kLanguage, "EN");
    SetPropertyInt(property::kPlaySound, 1);
    InitializeFirstRun();
    registry::Update([](registry::Key& root) {
        registry::Key& other = registry::CreateKey(root, {"Software", "Other", "Program"});
        std::size_t count = 0;
        const auto countValues = [&](const auto& self, const registry::Key& key) -> void {
            count += key.values.size();
            for (const registry::Key& subkey : key.subkeys) {
                self(self, subkey);
            }
        };
        countValues(countValues, root);
        for (std::size_t i = count; i < 200; ++i) {
            other.SetValue("Value" + std::to_string(i),
                           registry::Value::Text("/home/user/some/folder/" + std::to_string(i)));
        }
        return true;
    });
    registry::SetSyncWrites(true);
}

void BM_ReadHiveBytes(benchmark::State& state) {
    const std::string file = registry::HiveFilePath();
    std::string bytes;
    for (auto _ : state) {
        const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
        bytes.clear();
        char buffer[16384];
        ssize_t got;
        while ((got = read(fd, buffer, sizeof buffer)) > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
        }
        close(fd);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_GetPropertyString(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetPropertyString(property::kTitleMask));
    }
}

void BM_GetPropertyInt(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetPropertyInt(property::kPlaySound));
    }
}

void BM_SetPropertyStringFlushed(benchmark::State& state) {
    registry::SetSyncWrites(true);
    int i = 0;
    for (auto _ : state) {
        SetPropertyString(property::kTitleMask, i++ % 2 ? "%1 - %2" : "%3 - %2");
    }
}

void BM_SetPropertyStringUnflushed(benchmark::State& state) {
    registry::SetSyncWrites(false);
    int i = 0;
    for (auto _ : state) {
        SetPropertyString(property::kTitleMask, i++ % 2 ? "%1 - %2" : "%3 - %2");
    }
    registry::SetSyncWrites(true);
}

BENCHMARK(BM_ReadHiveBytes)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_GetPropertyString)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_GetPropertyInt)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_SetPropertyStringFlushed)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SetPropertyStringUnflushed)->Repetitions(7)->ReportAggregatesOnly(true);

// Keeps the medians so that the ratios can be printed after the run.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.function_name] = {run.GetAdjustedRealTime(),
                                                       run.GetAdjustedCPUTime()};
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    struct Median {
        double real;
        double cpu;
    };
    std::map<std::string, Median> medians;
};

}  // namespace

int main(int argc, char** argv) {
    const TempFolder temp("tracklace-bench");
    gFolder = temp.String();
    setenv("XDG_CONFIG_HOME", gFolder.c_str(), 1);
    FillHive();
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto floor = reporter.medians.find("BM_ReadHiveBytes");
    if (floor != reporter.medians.end() && floor->second.real > 0 && floor->second.cpu > 0) {
        std::printf("\nMedians, and as multiples of reading the hive file's bytes alone:\n");
        std::printf("  %-30s %12s %8s %12s %8s\n", "", "real us", "ratio", "cpu us", "ratio");
        for (const auto& [name, median] : reporter.medians) {
            std::printf("  %-30s %12.2f %7.1fx %12.2f %7.1fx\n", name.c_str(), median.real / 1000.0,
                        median.real / floor->second.real, median.cpu / 1000.0,
                        median.cpu / floor->second.cpu);
        }
    }
    benchmark::Shutdown();
    return 0;
}
