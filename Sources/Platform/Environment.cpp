// SPDX-License-Identifier: MIT
// Environment.cpp: reading the process's own arguments and environment into a value.
#include "Platform/Environment.h"

#include <algorithm>

extern char** environ;

namespace platform {

std::optional<std::string> Environment::variable(const std::string& name) const {
    const auto it = variables.find(name);
    if (it == variables.end()) return std::nullopt;
    return it->second;
}

bool Environment::hasArgument(const std::string& argument) const {
    return std::find(arguments.begin(), arguments.end(), argument) != arguments.end();
}

Environment Environment::ofProcess(int argc, const char* const* argv) {
    Environment env;
    for (int i = 1; i < argc; ++i) env.arguments.emplace_back(argv[i]);
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text(*entry);
        const auto eq = text.find('=');
        if (eq == std::string::npos) continue;
        env.variables.emplace(text.substr(0, eq), text.substr(eq + 1));
    }
    return env;
}

}  // namespace platform
