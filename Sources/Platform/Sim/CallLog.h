// SPDX-License-Identifier: MIT
// CallLog.h: the simulated desktop's record of every Accessibility request: when it was made,
// what it asked, the value written or read, the messaging time-out in force, and the result.
#pragma once

#include "Platform/Accessibility.h"
#include "Platform/Dispatch.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::sim {

enum class Request { copy, set, settable, action, elementAtPosition };
std::string_view toString(Request request);

struct Call {
    Seconds time = 0;  // virtual seconds since the start
    Request request = Request::copy;
    AccessElement element;
    std::string name;  // attribute or action; "" for an element-at-position request
    AccessValue value;     // the value written, read, or the element found
    double timeout = 0;
    AccessError result = AccessError::success;

    std::string description() const;
};

class CallLog {
public:
    void add(Call call) {
        calls_.push_back(std::move(call));
        if (onCall) onCall(calls_.back());
    }
    const std::vector<Call>& all() const { return calls_; }
    void clear() { calls_.clear(); }

    // The calls of one kind (and attribute or action, when given), in order.
    std::vector<Call> of(Request request, std::string_view name = {}) const;
    // The writes made to one element, in order.
    std::vector<Call> writesTo(const AccessElement& element) const;

    // Told of each request as it is recorded, for tests that look at the world at that moment.
    std::function<void(const Call&)> onCall;

private:
    std::vector<Call> calls_;
};

}  // namespace platform::sim
