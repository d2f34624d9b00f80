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

bool ChildProcess::ended()
{
    if (pid_ <= 0 || ended_)
        return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_)
        return false;
    ended_ = true;
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

void ChildProcess::terminate()
{
    if (!ended())
        kill(pid_, SIGTERM);
}

ChildProcess::~ChildProcess()
{
    terminate();
    for (int i = 0; i < 100; ++i) {
        if (ended())
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

} // namespace contract
