// SPDX-License-Identifier: MIT
// TenvikKitBench.cpp: the cost of one line in the kit's log file with the file open (the
// common case while debug logging is on), and of a message while it is off; and of reading
// the installed applications' desktop entries, which the Focus tab does on the main thread.
#include "TenvikKit/Applications/InstalledApplications.h"
#include "TenvikKit/Log/FileLogSink.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

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

// A folder of `count` ordinary desktop entries, one in ten hidden.
void BM_InstalledApplicationsRead(benchmark::State& state) {
    const fs::path folder = fs::temp_directory_path() / ("tenvik-apps-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    for (int i = 0; i < state.range(0); ++i) {
        std::ofstream(folder / ("org.example.App" + std::to_string(i) + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=Application " << i << "\nName[de]=Anwendung " << i
            << "\nComment=Does things\nExec=app" << i << " %U\nIcon=app" << i << "\nCategories=Utility;\n"
            << (i % 10 == 0 ? "NoDisplay=true\n" : "") << "\n[Desktop Action new]\nName=New Window\nExec=app --new\n";
    }
    for (auto _ : state) benchmark::DoNotOptimize(tenvik::InstalledApplications::read({folder}));
    fs::remove_all(folder);
}
BENCHMARK(BM_InstalledApplicationsRead)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace
