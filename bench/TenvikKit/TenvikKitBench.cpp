// TenvikKitBench.cpp: the cost of one line in the kit's log file with the file open (the
// common case while debug logging is on), and of a message while it is off.
#include "TenvikKit/Log/FileLogSink.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

void BM_FileLogSinkWriteLine(benchmark::State& state) {
    const fs::path folder = fs::temp_directory_path() / ("tenvik-bench-" + std::to_string(::getpid()));
    tenvik::FileLogSink sink(folder);
    sink.setEnabled(true);
    sink.write("app", "debug", "warm up", std::nullopt);
    for (auto _ : state) sink.write("hotkey", "debug", "hotkey pressed action=togglePin", std::nullopt);
    fs::remove_all(folder);
}
BENCHMARK(BM_FileLogSinkWriteLine)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FileLogSinkDisabled(benchmark::State& state) {
    tenvik::FileLogSink sink(fs::temp_directory_path() / "tenvik-bench-unused");
    for (auto _ : state) sink.write("hotkey", "debug", "hotkey pressed action=togglePin", std::nullopt);
}
BENCHMARK(BM_FileLogSinkDisabled);

}  // namespace
