// SPDX-License-Identifier: MIT
// InstalledApplications.h: the applications installed on this desktop, read from the desktop
// entries of the XDG applications folders ($XDG_DATA_HOME/applications, then each of
// $XDG_DATA_DIRS/applications). An entry in an earlier folder hides one with the same desktop
// ID in a later folder, also when it hides itself ("Hidden=true" removes the application).
// A folder or file that cannot be read is skipped. Blocking file reads; the Focus tab reads
// once each time its chooser opens.
#pragma once

#include "Platform/Environment.h"
#include "TenvikKit/Applications/DesktopEntry.h"

#include <filesystem>
#include <vector>

namespace tenvik {

struct InstalledApplications {
    // At most this many files are looked at in all (a guard against a runaway folder).
    static constexpr std::size_t kMaximumFiles = 20000;

    // The applications folders, most important first; relative XDG values are ignored.
    static std::vector<std::filesystem::path> folders(const platform::Environment& environment);

    // One entry per identifier (the first by folder order), sorted by name (letter case
    // ignored, numbers by value), then identifier.
    static std::vector<DesktopEntry> read(const std::vector<std::filesystem::path>& folders);
};

}  // namespace tenvik
