// SPDX-License-Identifier: MIT
// Environment.h: the process's launch arguments and environment variables, as a value, so
// logic reads them through the services and tests can set them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Environment {
    std::vector<std::string> arguments;  // without the program name
    std::map<std::string, std::string> variables;

    // A variable's value; absent when unset. An empty value counts as set.
    std::optional<std::string> variable(const std::string& name) const;
    bool hasArgument(const std::string& argument) const;

    // This process's own arguments and environment.
    static Environment ofProcess(int argc, const char* const* argv);
};

}  // namespace platform
