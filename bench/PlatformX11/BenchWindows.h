// SPDX-License-Identifier: MIT
// BenchWindows: the client windows the X11 benchmarks read: processes of the benchmark program
// itself, started again in a mode where each only opens ordinary windows and waits to be told
// to stop; as many as a benchmark asks for.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace benchx11 {

inline constexpr int kProcesses = 20;
inline constexpr int kWindowsPerProcess = 5;
inline constexpr const char* kWindowsProcessFlag = "--windows-process";

// The body of a windows process: opens `windows` windows, then waits for SIGTERM. Answers the
// exit code. Started as `<self> --windows-process <index> [<windows>]`.
int runWindowsProcess(int index, int windows = kWindowsPerProcess);
// The same, from the process's arguments; absent when they do not start a windows process.
std::optional<int> runWindowsProcessOf(int argc, char** argv);

// Starts the windows processes; stops them (SIGTERM, then waits) when it goes away.
class WindowProcesses {
public:
    explicit WindowProcesses(const char* self, int processes = kProcesses, int windowsEach = kWindowsPerProcess);
    WindowProcesses(const WindowProcesses&) = delete;
    WindowProcesses& operator=(const WindowProcesses&) = delete;
    ~WindowProcesses();

    // Starts or stops processes (the last started stop first) until `processes` run.
    void resize(int processes);
    int count() const { return static_cast<int>(pids_.size()); }

private:
    std::string self_;
    int windowsEach_;
    std::vector<pid_t> pids_;
};

}  // namespace benchx11
