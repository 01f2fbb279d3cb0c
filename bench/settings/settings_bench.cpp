// What a settings read and a settings write cost, against the floor of reading the hive
// file's bytes alone, on two hives: the program's settings with other values up to 200
// values in all (argument 0), and the same with 30,000 sibling keys beside them, about
// 1.4 MB (argument 1). Prints the medians and their ratios to the floor of the same hive.
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

constexpr int kSiblings = 30000;

std::string gFolders[2];

void UseHive(int hive) {
    setenv("XDG_CONFIG_HOME", gFolders[hive].c_str(), 1);
}

void FillHive(int hive) {
    UseHive(hive);
    // The properties, the default file types and other values up to 200 values in all.
    registry::SetSyncWrites(false);
    SetPropertyString(property::kTitleMask, "%3 - %2");
    SetPropertyString(property::kLanguage, "EN");
    SetPropertyInt(property::kPlaySound, 1);
    InitializeFirstRun();
    registry::Update([hive](registry::Key& root) {
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
        if (hive == 1) {
            // Made directly: AddSubkey looks for an existing sibling first.
            registry::Key& wide = registry::CreateKey(root, {"Software", "Wide"});
            wide.subkeys.reserve(kSiblings);
            for (int i = 0; i < kSiblings; ++i) {
                char name[16];
                std::snprintf(name, sizeof name, "Key%05d", i);
                wide.subkeys.push_back(registry::Key{name, {}, {}});
            }
        }
        return true;
    });
    registry::SetSyncWrites(true);
}

void BM_ReadHiveBytes(benchmark::State& state) {
    UseHive(static_cast<int>(state.range(0)));
    const std::string file = registry::HiveFilePath();
    std::string bytes;
    for (auto _ : state) {
        const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
        bytes.clear();
        char buffer[65536];
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
    UseHive(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetPropertyString(property::kTitleMask));
    }
}

void BM_GetPropertyInt(benchmark::State& state) {
    UseHive(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetPropertyInt(property::kPlaySound));
    }
}

void BM_SetPropertyStringFlushed(benchmark::State& state) {
    UseHive(static_cast<int>(state.range(0)));
    registry::SetSyncWrites(true);
    int i = 0;
    for (auto _ : state) {
        SetPropertyString(property::kTitleMask, i++ % 2 ? "%1 - %2" : "%3 - %2");
    }
}

void BM_SetPropertyStringUnflushed(benchmark::State& state) {
    UseHive(static_cast<int>(state.range(0)));
    registry::SetSyncWrites(false);
    int i = 0;
    for (auto _ : state) {
        SetPropertyString(property::kTitleMask, i++ % 2 ? "%1 - %2" : "%3 - %2");
    }
    registry::SetSyncWrites(true);
}

BENCHMARK(BM_ReadHiveBytes)->Arg(0)->Arg(1)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_GetPropertyString)->Arg(0)->Arg(1)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_GetPropertyInt)->Arg(0)->Arg(1)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_SetPropertyStringFlushed)->Arg(0)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SetPropertyStringUnflushed)
    ->Arg(0)
    ->Arg(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// Keeps the medians so that the ratios can be printed after the run.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[{run.run_name.args, run.run_name.function_name}] = {
                    run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    struct Median {
        double real;
        double cpu;
    };
    // By hive (the argument), then by benchmark.
    std::map<std::pair<std::string, std::string>, Median> medians;
};

}  // namespace

int main(int argc, char** argv) {
    const TempFolder small("tracklace-bench");
    const TempFolder wide("tracklace-bench-wide");
    gFolders[0] = small.String();
    gFolders[1] = wide.String();
    FillHive(0);
    FillHive(1);
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const char* const kHives[] = {"200 values", "30,000 siblings"};
    for (int hive = 0; hive < 2; ++hive) {
        const std::string arg = std::to_string(hive);
        const auto floor = reporter.medians.find({arg, "BM_ReadHiveBytes"});
        if (floor == reporter.medians.end() || floor->second.real <= 0 || floor->second.cpu <= 0) {
            continue;
        }
        UseHive(hive);
        std::printf(
            "\nHive of %s (%ju bytes): medians, and as multiples of reading its bytes:\n",
            kHives[hive],
            static_cast<std::uintmax_t>(std::filesystem::file_size(registry::HiveFilePath())));
        std::printf("  %-30s %12s %8s %12s %8s\n", "", "real us", "ratio", "cpu us", "ratio");
        for (const auto& [key, median] : reporter.medians) {
            if (key.first == arg) {
                std::printf("  %-30s %12.2f %7.1fx %12.2f %7.1fx\n", key.second.c_str(),
                            median.real / 1000.0, median.real / floor->second.real,
                            median.cpu / 1000.0, median.cpu / floor->second.cpu);
            }
        }
    }
    benchmark::Shutdown();
    return 0;
}
