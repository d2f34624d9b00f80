// FocusActivationPolicy.cpp: the system allowlist and identifier normalisation.
#include "TenvikKit/FocusLock/FocusActivationPolicy.h"

#include <algorithm>

namespace tenvik {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

const std::set<std::string>& FocusActivationPolicy::systemAllowlist() {
    static const std::set<std::string> allowlist = {"com.apple.systempreferences", "com.apple.loginwindow",
                                                    "com.apple.SecurityAgent"};
    return allowlist;
}

std::optional<std::string> FocusActivationPolicy::normalizedBundleID(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    if (text.empty() || text.find('.') == std::string_view::npos) return std::nullopt;
    if (std::any_of(text.begin(), text.end(), isSpace)) return std::nullopt;
    return std::string(text);
}

}  // namespace tenvik
