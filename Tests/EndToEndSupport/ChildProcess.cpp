// SPDX-License-Identifier: MIT
// ChildProcess.cpp: posix_spawnp with an adjusted environment and log file (safe in a test
// process that runs threads), signals, and waiting with a deadline.
#include "ChildProcess.h"

#include "Wait.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace e2e {

namespace {

constexpr int kNeverStarted = 127;  // as a shell reports a program it could not run
constexpr double kStopGrace = 2;    // seconds between SIGTERM and SIGKILL

// This process's environment with `changes` applied, as NAME=value entries.
std::vector<std::string> environmentWith(const std::map<std::string, std::string>& changes) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        if (!changes.contains(std::string(text.substr(0, text.find('='))))) entries.emplace_back(text);
    }
    for (const auto& [name, value] : changes)
        if (!value.empty()) entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment, const std::string& logFile) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = environmentWith(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!logFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    if (posix_spawnp(&pid_, program.c_str(), &actions, nullptr, pointersTo(argv).data(), pointersTo(envp).data()) !=
        0) {
        pid_ = -1;
        status_ = kNeverStarted;
    }
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
    if (!running()) return;
    terminate();
    if (waitForExit(kStopGrace)) return;
    signal(SIGKILL);
    ::waitpid(pid_, nullptr, 0);
}

bool ChildProcess::running() {
    if (status_ || pid_ <= 0) return false;
    int raw = 0;
    if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return false;
    }
    return true;
}

void ChildProcess::signal(int signalNumber) {
    if (running()) ::kill(pid_, signalNumber);
}

void ChildProcess::terminate() { signal(SIGTERM); }

bool ChildProcess::catches(int signalNumber) const {
    if (pid_ <= 0 || signalNumber < 1 || signalNumber > 64) return false;
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        // "SigCgt:\t<hex mask>", bit n - 1 for signal n.
        if (line.rfind("SigCgt:", 0) != 0) continue;
        const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
        return (caught >> (signalNumber - 1)) & 1u;
    }
    return false;
}

std::optional<int> ChildProcess::waitForExit(double seconds) {
    waitUntil(
        seconds, [this] { return !running(); }, std::chrono::milliseconds(20));
    return status_;
}

}  // namespace e2e
