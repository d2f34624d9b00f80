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

std::optional<std::string> FocusActivationPolicy::normalizedApplicationID(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    if (text.empty() || std::any_of(text.begin(), text.end(), isSpace)) return std::nullopt;
    std::string identifier(text);
    if (identifier.find('.') == std::string::npos)
        std::transform(identifier.begin(), identifier.end(), identifier.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return identifier;
}

bool FocusActivationPolicy::allows(std::string_view entry, std::string_view identifier) {
    if (entry == identifier) return true;
    const auto normalizedEntry = normalizedApplicationID(entry);
    return normalizedEntry && normalizedEntry == normalizedApplicationID(identifier);
}

}  // namespace tenvik
