// SPDX-License-Identifier: MIT
// ApplicationIdentity: the identity rules, and the two /proc lookups they fall back on.
#include "Platform/X11/ApplicationIdentity.h"

#include <fstream>
#include <string>
#include <sys/stat.h>

namespace platform::x11 {

std::optional<std::string> applicationIdentifier(const WindowFacts& facts) {
    if (!facts.gtkApplicationId.empty()) return facts.gtkApplicationId;
    if (!facts.kdeDesktopFile.empty()) return facts.kdeDesktopFile;
    if (!facts.className.empty()) return facts.className;
    return std::nullopt;
}

std::optional<std::string> applicationName(const WindowFacts& facts, std::int32_t pid) {
    if (!facts.instance.empty()) return facts.instance;
    return processName(pid);
}

std::optional<std::string> processName(std::int32_t pid) {
    if (pid <= 0) return std::nullopt;
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    if (!std::getline(comm, name) || name.empty()) return std::nullopt;
    return name;
}

bool processAlive(std::int32_t pid) {
    if (pid <= 0) return false;
    struct stat info;
    return stat(("/proc/" + std::to_string(pid)).c_str(), &info) == 0;
}

}  // namespace platform::x11
