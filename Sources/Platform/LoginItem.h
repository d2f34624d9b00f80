// SPDX-License-Identifier: MIT
// LoginItem.h: launch at login on a Linux desktop: the XDG autostart entry
// "<configuration>/autostart/org.vomira.Arvelo.desktop" that starts this program when the
// user logs in. Its status answers like a login-item service: enabled, or not registered. The
// shell's "Open at Login" and the kit's launch at login share this one entry.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

class LoginItem {
public:
    // The service's status values, with their raw numbers.
    enum class Status : int { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

    static constexpr const char* kFileName = "org.vomira.Arvelo.desktop";

    // `autostartFolder` is usually "$XDG_CONFIG_HOME/autostart"; `executable` the program to start.
    LoginItem(std::filesystem::path autostartFolder, std::filesystem::path executable);

    // Enabled while the entry exists and is neither hidden nor switched off.
    Status status() const;

    // Each answers an error's description when it fails, nothing when it worked.
    std::optional<std::string> registerItem();
    std::optional<std::string> unregisterItem();

    std::filesystem::path entryPath() const { return folder_ / kFileName; }

    // The entry's text for a program path; absent when the path cannot be written in an
    // Exec line (it holds a line break).
    static std::optional<std::string> entryText(const std::filesystem::path& executable);

private:
    std::filesystem::path folder_;
    std::filesystem::path executable_;
};

}  // namespace platform
