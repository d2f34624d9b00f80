// SPDX-License-Identifier: MIT
// Wait.cpp: bounded polling, plain or with the Qt event loop running between the questions.
#include "Wait.h"

#include <QCoreApplication>

#include <thread>

namespace e2e {

namespace {
constexpr std::chrono::milliseconds kEventPoll{10};
}  // namespace

bool waitUntil(double seconds, const std::function<bool()>& condition, std::chrono::milliseconds pollEvery) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(pollEvery);
    }
}

bool waitWithEvents(double seconds, const std::function<bool()>& condition) {
    return waitUntil(
        seconds,
        [&] {
            QCoreApplication::processEvents();
            return condition();
        },
        kEventPoll);
}

}  // namespace e2e
