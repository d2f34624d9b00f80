// SPDX-License-Identifier: MIT
// Wait.h: the one way end-to-end tests wait on a real desktop: ask a condition again and again
// until it holds or a deadline passes, with or without running this process's Qt event loop.
#pragma once

#include <chrono>
#include <functional>

namespace e2e {

// Asks `condition` every `pollEvery` until it holds or `seconds` pass; answers the last result.
bool waitUntil(double seconds, const std::function<bool()>& condition,
               std::chrono::milliseconds pollEvery = std::chrono::milliseconds(50));

// The same, running the Qt event loop before each question (for tests whose platform services
// deliver their results on it).
bool waitWithEvents(double seconds, const std::function<bool()>& condition);

}  // namespace e2e
