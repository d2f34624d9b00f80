// SPDX-License-Identifier: MIT
// Folders.cpp: where the XDG rules put this program's data, logs and configuration.
#include "Platform/Folders.h"

namespace platform {

namespace {
std::optional<std::filesystem::path> xdgFolder(const Environment& env, const std::string& variable,
                                               const std::filesystem::path& fallback) {
    if (auto value = env.variable(variable); value && !value->empty()) {
        std::filesystem::path path(*value);
        if (path.is_absolute()) return path;
    }
    if (auto home = env.variable("HOME"); home && !home->empty()) return std::filesystem::path(*home) / fallback;
    return std::nullopt;
}
}  // namespace

Folders Folders::fromEnvironment(const Environment& env) {
    Folders folders;
    folders.applicationSupport = xdgFolder(env, "XDG_DATA_HOME", ".local/share");
    folders.logs = xdgFolder(env, "XDG_STATE_HOME", ".local/state");
    folders.configuration = xdgFolder(env, "XDG_CONFIG_HOME", ".config");
    if (auto value = env.variable("XDG_RUNTIME_DIR"); value && std::filesystem::path(*value).is_absolute())
        folders.runtime = std::filesystem::path(*value);
    if (auto dir = env.variable("ARVELO_STATE_DIR"); dir && !dir->empty()) folders.stateDirectoryOverride = *dir;
    return folders;
}

Folders Folders::under(const std::filesystem::path& root) {
    Folders folders;
    folders.applicationSupport = root / "data";
    folders.logs = root / "state";
    folders.configuration = root / "config";
    folders.runtime = root / "runtime";
    return folders;
}

}  // namespace platform
