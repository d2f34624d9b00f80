// SPDX-License-Identifier: MIT
// CallLog.cpp: filtering and describing the recorded Accessibility requests.
#include "Platform/Sim/CallLog.h"

namespace platform::sim {

std::string_view toString(Request request) {
    switch (request) {
        case Request::copy:
            return "copy";
        case Request::set:
            return "set";
        case Request::settable:
            return "settable";
        case Request::action:
            return "action";
        case Request::elementAtPosition:
            return "elementAtPosition";
    }
    return "copy";
}

std::string Call::description() const {
    return arvelo::formatNumber(time) + "s " + std::string(toString(request)) + " " + AccessValue(element).description() +
           (name.empty() ? "" : " " + name) + " = " + value.description() + " (timeout " +
           arvelo::formatNumber(timeout) + ") -> " + std::to_string(rawValue(result));
}

std::vector<Call> CallLog::of(Request request, std::string_view name) const {
    std::vector<Call> out;
    for (const auto& call : calls_)
        if (call.request == request && (name.empty() || call.name == name)) out.push_back(call);
    return out;
}

std::vector<Call> CallLog::writesTo(const AccessElement& element) const {
    std::vector<Call> out;
    for (const auto& call : calls_)
        if (call.request == Request::set && call.element == element) out.push_back(call);
    return out;
}

}  // namespace platform::sim
