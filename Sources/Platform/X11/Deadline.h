// SPDX-License-Identifier: MIT
// Deadline: the moment a wait for the X server gives up, made from a messaging time-out in
// seconds. Every wait of the X11 backend is bounded by one.
#pragma once

#include <chrono>

namespace platform::x11 {

class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    static Deadline in(double seconds) {
        const auto span = std::chrono::duration<double>(seconds > 0 ? seconds : 0);
        return Deadline(Clock::now() + std::chrono::duration_cast<Clock::duration>(span));
    }

    Clock::time_point when() const { return when_; }
    bool passed() const { return Clock::now() >= when_; }
    Deadline earlier(Deadline other) const { return other.when_ < when_ ? other : *this; }

private:
    explicit Deadline(Clock::time_point when) : when_(when) {}
    Clock::time_point when_;
};

}  // namespace platform::x11
