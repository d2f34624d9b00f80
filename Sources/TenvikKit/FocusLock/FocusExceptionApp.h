// SPDX-License-Identifier: MIT
// FocusExceptionApp.h: one row of the Focus tab's allowed applications, and the edits of the
// stored list. Rows are keyed by the normalised identifier, so an entry stored in an older or
// raw form (" org.gnome.Nautilus", "XTerm") shows as the row of that application, is found
// when the same application is added again, and goes when its row is removed.
#pragma once

#include "TenvikKit/Applications/DesktopEntry.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tenvik {

struct FocusExceptionApp {
    std::string id;    // the normalised identifier (the stored text when it cannot be normalised)
    std::string name;  // shown in the row
    std::string icon;  // the desktop entry's icon, "" when none
    bool installed = false;
    friend bool operator==(const FocusExceptionApp&, const FocusExceptionApp&) = default;

    static constexpr const char* kUnavailableName = "Unavailable app";

    // The row key of a stored entry.
    static std::string key(std::string_view stored);
    // The entry's trimmed name when it has one; else "Unavailable app".
    static std::string displayName(std::string_view id, const std::optional<std::string>& entryName);
    // The row of one key, from the installed application with that identifier (a chosen one first).
    static FocusExceptionApp resolve(std::string_view id, const std::vector<DesktopEntry>& installed,
                                     const std::map<std::string, DesktopEntry>& chosen);
    // One row per key, sorted by name (letter case ignored, numbers by value), then by id.
    static std::vector<FocusExceptionApp> rows(const std::vector<std::string>& stored,
                                               const std::vector<DesktopEntry>& installed,
                                               const std::map<std::string, DesktopEntry>& chosen);

    // The list with the identifier added in normalised form and sorted; unchanged when the
    // identifier cannot be normalised or an entry of the same key is there already.
    static std::vector<std::string> adding(std::string_view identifier, std::vector<std::string> list);
    // The list without any entry of this key, the others in their order.
    static std::vector<std::string> removing(std::string_view id, std::vector<std::string> list);

    // Name order: letter case ignored, digit runs compared by value ("App 9" before "app 10").
    static int compareNames(std::string_view a, std::string_view b);
};

}  // namespace tenvik
