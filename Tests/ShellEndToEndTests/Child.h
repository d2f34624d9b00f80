// Child.h: a program the end-to-end tests start: its own environment, a signal to send, and
// a bounded wait for it to end with its exit status.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

class Child {
public:
    // Starts `program` with `arguments`; `environment` entries replace (or, with an empty
    // value, remove) variables of this process's environment. Output goes to `logFile`
    // when given.
    Child(const std::string& program, const std::vector<std::string>& arguments,
          const std::map<std::string, std::string>& environment = {}, const std::string& logFile = {});
    ~Child();  // ends the program if it still runs
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    void signal(int signalNumber);
    // The exit status once it ends within `seconds`; -1 for an end by a signal.
    std::optional<int> waitForExit(double seconds);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Polls `condition` every 50 ms until it holds or `seconds` pass; answers the last result.
template <class Condition>
bool eventually(double seconds, Condition condition);

}  // namespace e2e

#include <chrono>
#include <thread>

template <class Condition>
bool e2e::eventually(double seconds, Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}
