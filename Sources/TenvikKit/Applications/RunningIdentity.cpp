// SPDX-License-Identifier: MIT
// RunningIdentity.cpp: matching an installed application to a running one.
#include "TenvikKit/Applications/RunningIdentity.h"

#include "TenvikKit/FocusLock/FocusActivationPolicy.h"

#include <algorithm>

namespace tenvik {

namespace {

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

}  // namespace

std::optional<std::string> RunningIdentity::identifierFor(const DesktopEntry& entry,
                                                          const std::vector<platform::RunningApplication>& running) {
    std::optional<std::string> byName;
    for (const platform::RunningApplication& application : running) {
        if (!application.applicationID) continue;
        const auto identifier = FocusActivationPolicy::normalizedApplicationID(*application.applicationID);
        if (!identifier) continue;
        if (*identifier == entry.identifier) return identifier;
        if (!byName && !entry.executable.empty() && application.localizedName &&
            equalIgnoringCase(*application.localizedName, entry.executable))
            byName = identifier;
    }
    return byName;
}

}  // namespace tenvik
