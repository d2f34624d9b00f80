// SPDX-License-Identifier: MIT
// ChildProcess.h: a program an end-to-end test starts (arvelo, the fixture application, xlogo,
// xdotool): its own environment and log file, signals, a bounded wait for its exit status,
// and a stop that never waits without bound when the handle goes away.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

class ChildProcess {
public:
    // Starts `program` (found on PATH unless it names a path) with `arguments`; `environment`
    // entries replace (or, with an empty value, remove) variables of this process's
    // environment. Output goes to `logFile` when given.
    explicit ChildProcess(const std::string& program, const std::vector<std::string>& arguments = {},
                          const std::map<std::string, std::string>& environment = {}, const std::string& logFile = {});
    // Ends the program if it still runs: SIGTERM, then SIGKILL after a bounded wait.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }
    bool running();
    // The program has a handler of its own for the signal (its launch has got that far): read
    // from the kernel's record of the process.
    bool catches(int signalNumber) const;
    void signal(int signalNumber);
    void terminate();
    // The exit status once it has ended: -1 for an end by a signal, 127 when it never started.
    std::optional<int> exitStatus() const { return status_; }
    // The exit status once it ends within `seconds`.
    std::optional<int> waitForExit(double seconds);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

}  // namespace e2e
