// Child.cpp: fork and exec with an adjusted environment, signals, and waiting with a deadline.
#include "Child.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

Child::Child(const std::string& program, const std::vector<std::string>& arguments,
             const std::map<std::string, std::string>& environment, const std::string& logFile) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    pid_ = ::fork();
    if (pid_ != 0) return;
    for (const auto& [name, value] : environment) {
        if (value.empty()) ::unsetenv(name.c_str());
        else ::setenv(name.c_str(), value.c_str(), 1);
    }
    if (!logFile.empty()) {
        const int fd = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            ::dup2(fd, STDOUT_FILENO);
            ::dup2(fd, STDERR_FILENO);
            ::close(fd);
        }
    }
    std::vector<char*> raw;
    for (std::string& argument : argv) raw.push_back(argument.data());
    raw.push_back(nullptr);
    ::execv(program.c_str(), raw.data());
    ::_exit(127);
}

Child::~Child() {
    if (pid_ > 0 && running()) {
        signal(SIGKILL);
        waitForExit(5);
    }
}

bool Child::running() {
    if (status_ || pid_ <= 0) return false;
    int raw = 0;
    if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return false;
    }
    return true;
}

void Child::signal(int signalNumber) {
    if (pid_ > 0 && !status_) ::kill(pid_, signalNumber);
}

std::optional<int> Child::waitForExit(double seconds) {
    eventually(seconds, [this] { return !running(); });
    return status_;
}

}  // namespace e2e
