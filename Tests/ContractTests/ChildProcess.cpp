// ChildProcess: posix_spawnp, and a stop that never waits without bound.
#include "ChildProcess.h"

#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace contract {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<std::string> all{program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
}

ChildProcess::~ChildProcess()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

} // namespace contract
