// SPDX-License-Identifier: MIT
// ApplicationIdentity: what names an application on X11: its identifier (_GTK_APPLICATION_ID,
// else _KDE_NET_WM_DESKTOP_FILE, else the WM_CLASS class) and its name (the WM_CLASS instance,
// else the process's command name), read from one of its windows.
#pragma once

#include "Platform/X11/WindowFacts.h"

#include <cstdint>
#include <optional>
#include <string>

namespace platform::x11 {

// Needs fact::kClass. Absent when the window names none.
std::optional<std::string> applicationIdentifier(const WindowFacts& facts);
// Needs fact::kClass. Absent when neither the window nor the process names one.
std::optional<std::string> applicationName(const WindowFacts& facts, std::int32_t pid);
// The command name of a process (/proc/<pid>/comm); absent for stand-in (negative) ids.
std::optional<std::string> processName(std::int32_t pid);
// Whether the process exists.
bool processAlive(std::int32_t pid);

}  // namespace platform::x11
