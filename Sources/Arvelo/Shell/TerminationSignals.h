// SPDX-License-Identifier: MIT
// TerminationSignals.h: turns SIGTERM and SIGINT into events of the main loop. A handler that
// only writes the signal's number into a pipe replaces the default action (so the signal no
// longer kills the process); the main loop reads the pipe and runs onSignal there.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace arvelo {

class TerminationSignals {
public:
    // Installs the handler for each signal, in the order given. One instance at a time.
    TerminationSignals(std::initializer_list<int> signalNumbers, std::function<void(int)> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the pipe or a handler could not be set up (the signals keep their default).
    bool installed() const { return installed_; }

private:
    void drain();

    std::function<void(int)> onSignal_;
    std::vector<int> signals_;
    int readFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool installed_ = false;
};

}  // namespace arvelo
