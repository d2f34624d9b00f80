// SPDX-License-Identifier: MIT
// WritePacing: lets a file be written at most once per interval of the injected clock. A write
// asked for sooner is made once, when the interval since the last one has passed, however
// often it was asked for meanwhile. Main thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "Platform/Dispatch.h"

namespace arvelo {

class WritePacing {
public:
    // Writes asked for up to `slack` seconds early still count as due: a beat's own write a
    // little before the end of the interval is not put off.
    WritePacing(std::shared_ptr<platform::Dispatcher> dispatch, std::shared_ptr<platform::Clock> clock,
                platform::Seconds interval, platform::Seconds slack);
    ~WritePacing();
    WritePacing(const WritePacing&) = delete;
    WritePacing& operator=(const WritePacing&) = delete;

    // True when a write may be made now. Otherwise false, and `later` runs once when the
    // interval since the last write has passed (the `later` of the last refused ask).
    bool admit(std::function<void()> later);
    // Notes that the file was written now.
    void wrote();

private:
    std::shared_ptr<platform::Dispatcher> dispatch_;
    std::shared_ptr<platform::Clock> clock_;
    platform::Seconds interval_;
    platform::Seconds slack_;
    std::optional<platform::Seconds> last_;
    std::optional<platform::TimerHandle> deferred_;
    std::function<void()> later_;
};

}  // namespace arvelo
