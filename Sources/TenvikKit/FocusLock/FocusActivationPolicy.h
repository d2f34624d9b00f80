// SPDX-License-Identifier: MIT
// FocusActivationPolicy.h: the focus lock's fixed rules: the applications that always get the
// focus, and the form an identifier must have to join the user's allowed list.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace tenvik {

struct FocusActivationPolicy {
    // Always allowed to take the focus while it is locked (the program itself, and applications
    // without an ordinary window, such as panels, docks and notifications, are allowed besides:
    // see FocusLockManager::isAllowed). Compared as allows() compares.
    static const std::set<std::string>& systemAllowlist();
    // Trimmed of whitespace at both ends; absent when empty or with whitespace left inside.
    // A reverse-DNS identifier (with a ".") keeps its letter case. One without a "." is a
    // program or WM_CLASS class name ("xterm", "XTerm", "firefox-esr"), whose case differs
    // between a desktop entry and the windows: it is lower-cased.
    static std::optional<std::string> normalizedApplicationID(std::string_view text);
    // Whether an allowed-list entry, in whatever form it was stored, names this identifier.
    static bool allows(std::string_view entry, std::string_view identifier);
};

}  // namespace tenvik
