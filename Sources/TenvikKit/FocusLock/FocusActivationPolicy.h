// FocusActivationPolicy.h: the focus lock's fixed rules: the applications that always get the
// focus, and the form an identifier must have to join the user's allowed list.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace tenvik {

struct FocusActivationPolicy {
    // Always allowed to take the focus while it is locked.
    static const std::set<std::string>& systemAllowlist();
    // Trimmed of whitespace at both ends; absent when empty, without a ".", or with whitespace
    // left inside. Letter case is kept.
    static std::optional<std::string> normalizedBundleID(std::string_view text);
};

}  // namespace tenvik
