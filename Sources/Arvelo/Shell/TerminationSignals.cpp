// SPDX-License-Identifier: MIT
// TerminationSignals.cpp: the self-pipe behind the termination signals: the async-signal-safe
// handler, and the notifier that hands each signal to the main loop.

#include "Arvelo/Shell/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace arvelo {

namespace {

// The write end of the pipe, read by the signal handler; -1 while no instance is installed.
volatile sig_atomic_t gWriteFd = -1;

void forwardSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = gWriteFd;
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(std::initializer_list<int> signalNumbers, std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)), signals_(signalNumbers) {
    int fds[2];
    if (gWriteFd >= 0 || ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    readFd_ = fds[0];
    gWriteFd = fds[1];
    notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { drain(); });

    installed_ = true;
    for (int signalNumber : signals_) {
        struct sigaction action {};
        action.sa_handler = forwardSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (::sigaction(signalNumber, &action, nullptr) != 0) installed_ = false;
    }
}

TerminationSignals::~TerminationSignals() {
    if (readFd_ < 0) return;
    for (int signalNumber : signals_) std::signal(signalNumber, SIG_DFL);
    notifier_.reset();
    const int writeFd = gWriteFd;
    gWriteFd = -1;
    ::close(writeFd);
    ::close(readFd_);
}

void TerminationSignals::drain() {
    unsigned char bytes[16];
    for (;;) {
        const ssize_t count = ::read(readFd_, bytes, sizeof bytes);
        if (count <= 0) break;
        for (ssize_t i = 0; i < count; ++i) {
            if (onSignal_) onSignal_(bytes[i]);
        }
    }
}

}  // namespace arvelo
