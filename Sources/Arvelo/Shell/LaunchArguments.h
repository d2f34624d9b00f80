// SPDX-License-Identifier: MIT
// LaunchArguments.h: what `arvelo` was asked to do by its command line, decided before
// anything starts: print the usage or the version, refuse an option or URL it does not know,
// or run (or hand over to the running instance) with the flags and arvelo:// URLs given.
// Plain C++: the host prints and exits, tests read the outcome.
#pragma once

#include <string>
#include <vector>

namespace arvelo {

struct LaunchArguments {
    enum class Action { run, help, version, error };

    Action action = Action::run;
    // For an error: what was wrong, one line without the program's name.
    std::string error;

    // Exit statuses of a launch that ends before starting.
    static constexpr int kUsageStatus = 2;

    // Reads the arguments after the program's name.
    static LaunchArguments parse(const std::vector<std::string>& arguments);

    // The text of --help and of --version, each ending in a line break.
    static std::string usage();
    static std::string version();
};

}  // namespace arvelo
