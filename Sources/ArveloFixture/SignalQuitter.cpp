// SPDX-License-Identifier: MIT
// SignalQuitter: reads a pending SIGTERM/SIGINT from the signalfd and quits the application.
#include "SignalQuitter.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace fixture {

namespace {
sigset_t quitSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}
}  // namespace

void SignalQuitter::blockSignals() {
    const sigset_t set = quitSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

SignalQuitter::SignalQuitter(QObject* parent) : QObject(parent) {
    const sigset_t set = quitSignals();
    fd_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd_ < 0) return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info;
        while (read(fd_, &info, sizeof info) == sizeof info) {}
        QCoreApplication::quit();
    });
}

SignalQuitter::~SignalQuitter() {
    if (fd_ >= 0) close(fd_);
}

}  // namespace fixture
