// SPDX-License-Identifier: MIT
// Folders.h: the user's folders this program keeps files in: "Application Support" (the XDG
// data folder), "Logs" (the XDG state folder), the configuration folder that holds the user
// defaults, the user's private runtime folder, and the state directory override from the
// environment. There is no shared fallback (such as a fixed folder in /tmp): a folder the
// environment does not name is absent.
#pragma once

#include "Platform/Environment.h"

#include <filesystem>
#include <optional>

namespace platform {

struct Folders {
    // Absent when the platform names no such folder (no home and no XDG variable).
    std::optional<std::filesystem::path> applicationSupport;
    std::optional<std::filesystem::path> logs;
    std::optional<std::filesystem::path> configuration;
    // $XDG_RUNTIME_DIR when it is an absolute path: private to the user, emptied at logout.
    std::optional<std::filesystem::path> runtime;
    // ARVELO_STATE_DIR when set and not empty.
    std::optional<std::filesystem::path> stateDirectoryOverride;

    // Application Support = $XDG_DATA_HOME or ~/.local/share; Logs = $XDG_STATE_HOME or
    // ~/.local/state; configuration = $XDG_CONFIG_HOME or ~/.config; runtime =
    // $XDG_RUNTIME_DIR. Relative XDG values are ignored, as the XDG rules say.
    static Folders fromEnvironment(const Environment& environment);
    // Everything below one root ("data", "state", "config", "runtime"), for tests; nothing is
    // created.
    static Folders under(const std::filesystem::path& root);
};

}  // namespace platform
