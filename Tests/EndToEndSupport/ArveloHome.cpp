// SPDX-License-Identifier: MIT
// ArveloHome.cpp: making, describing and removing the temporary arvelo home.
#include "ArveloHome.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace e2e {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ArveloHome::ArveloHome(const std::string& name) {
    std::string pattern = "/tmp/" + name + ".XXXXXX";
    if (!::mkdtemp(pattern.data())) return;
    root_ = pattern;
    // "state-dir" (ARVELO_STATE_DIR) is left for arvelo to make, as it makes it on a new desktop.
    for (const char* folder : {"config/Arvelo", "data", "state", "runtime"}) fs::create_directories(root_ / folder);
    fs::permissions(root_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    std::ofstream(root_ / "config/Arvelo/defaults.json")
        << R"({"shownPermissions": true, "settings.hasCompletedOnboarding": true})";
}

ArveloHome::~ArveloHome() {
    std::error_code ignored;
    if (ready()) fs::remove_all(root_, ignored);
}

std::map<std::string, std::string> ArveloHome::environment() const {
    return {{"XDG_CONFIG_HOME", path("config").string()},
            {"XDG_DATA_HOME", path("data").string()},
            {"XDG_STATE_HOME", path("state").string()},
            {"XDG_RUNTIME_DIR", path("runtime").string()},
            {"ARVELO_STATE_DIR", path("state-dir").string()},
            {"WAYLAND_DISPLAY", ""},
            {"XDG_SESSION_TYPE", ""}};
}

}  // namespace e2e
