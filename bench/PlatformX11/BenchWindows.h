// BenchWindows: the client windows the X11 benchmarks read: processes of the benchmark program
// itself, started again in a mode where each only opens ordinary windows and waits to be told
// to stop.
#pragma once

#include <sys/types.h>
#include <vector>

namespace benchx11 {

inline constexpr int kProcesses = 20;
inline constexpr int kWindowsPerProcess = 5;
inline constexpr const char* kWindowsProcessFlag = "--windows-process";

// The body of a windows process: opens its windows, then waits for SIGTERM. Answers the exit code.
int runWindowsProcess(int index);

// Starts the windows processes; stops them (SIGTERM, then waits) when it goes away.
class WindowProcesses {
public:
    explicit WindowProcesses(const char* self);
    WindowProcesses(const WindowProcesses&) = delete;
    WindowProcesses& operator=(const WindowProcesses&) = delete;
    ~WindowProcesses();

private:
    std::vector<pid_t> pids_;
};

}  // namespace benchx11
