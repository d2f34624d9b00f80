// SPDX-License-Identifier: MIT
// ArveloHome.h: a private temporary home for the arvelo processes of one test: its XDG
// folders, the environment that points arvelo at them, and the files (logs) written there.
// The folder goes when the home does.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace e2e {

// The value of an environment variable of this process; empty when unset.
std::string environmentValue(const char* name);

// A file's whole text; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

class ArveloHome {
public:
    // Makes /tmp/<name>.XXXXXX with arvelo's folders; the permissions are taken as granted and
    // the kit's welcome guide as seen, so neither window shows by itself.
    explicit ArveloHome(const std::string& name);
    ~ArveloHome();
    ArveloHome(const ArveloHome&) = delete;
    ArveloHome& operator=(const ArveloHome&) = delete;

    bool ready() const { return !root_.empty(); }
    std::filesystem::path path(const std::string& name) const { return root_ / name; }
    // XDG folders and the state folder in this home; no Wayland session.
    std::map<std::string, std::string> environment() const;
    std::string read(const std::string& name) const { return readFile(path(name)); }

private:
    std::filesystem::path root_;
};

}  // namespace e2e
