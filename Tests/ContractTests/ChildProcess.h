// ChildProcess: a program a test starts (the fixture application, xlogo); stopped with SIGTERM,
// then SIGKILL after a bounded wait, when the handle goes away.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace contract {

class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments = {});
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }
    // Whether it has ended, and then its exit status (-1 when a signal ended it).
    bool ended();
    int exitStatus() const { return exitStatus_; }
    // Asks it to stop (SIGTERM).
    void terminate();

private:
    pid_t pid_ = -1;
    bool ended_ = false;
    int exitStatus_ = -1;
};

} // namespace contract
