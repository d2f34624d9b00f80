// SPDX-License-Identifier: MIT
// WritePacing: the interval check and the one deferred write.
#include "Arvelo/State/WritePacing.h"

#include <utility>

namespace arvelo {

WritePacing::WritePacing(std::shared_ptr<platform::Dispatcher> dispatch, std::shared_ptr<platform::Clock> clock,
                         platform::Seconds interval, platform::Seconds slack)
    : dispatch_(std::move(dispatch)), clock_(std::move(clock)), interval_(interval), slack_(slack) {}

WritePacing::~WritePacing() {
    if (deferred_) deferred_->invalidate();
}

bool WritePacing::admit(std::function<void()> later) {
    const platform::Seconds now = clock_->uptime();
    if (!last_ || now - *last_ >= interval_ - slack_) return true;
    later_ = std::move(later);
    if (!deferred_) {
        // The timer is invalidated with this object, so `this` lives whenever it fires.
        deferred_ = dispatch_->after(*last_ + interval_ - now, [this] {
            deferred_.reset();
            const auto later = std::exchange(later_, nullptr);
            if (later) later();
        });
    }
    return false;
}

void WritePacing::wrote() {
    last_ = clock_->uptime();
    // A write made now covers one that waited.
    if (deferred_) deferred_->invalidate();
    deferred_.reset();
    later_ = nullptr;
}

}  // namespace arvelo
