// SPDX-License-Identifier: MIT
// InstalledApplications.cpp: walking the applications folders and reading their entries.
#include "TenvikKit/Applications/InstalledApplications.h"

#include "TenvikKit/FocusLock/FocusExceptionApp.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tenvik {

namespace {

std::vector<std::filesystem::path> dataFolders(const std::string& list) {
    std::vector<std::filesystem::path> folders;
    std::stringstream stream(list);
    std::string item;
    while (std::getline(stream, item, ':'))
        if (!item.empty() && item.front() == '/') folders.emplace_back(item);
    return folders;
}

// A regular file of at most kMaximumFileSize bytes; never waits (a FIFO or device named
// "*.desktop" is refused at once, not opened for a read that blocks).
std::optional<std::string> readText(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uintmax_t>(info.st_size) > DesktopEntries::kMaximumFileSize) {
        ::close(fd);
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(got);
    return text;
}

}  // namespace

std::vector<std::filesystem::path> InstalledApplications::folders(const platform::Environment& environment) {
    std::vector<std::filesystem::path> result;
    const auto dataHome = environment.variable("XDG_DATA_HOME");
    const auto home = environment.variable("HOME");
    if (dataHome && !dataHome->empty() && dataHome->front() == '/')
        result.push_back(std::filesystem::path(*dataHome) / "applications");
    else if (home && !home->empty())
        result.push_back(std::filesystem::path(*home) / ".local/share/applications");
    const auto dirs = environment.variable("XDG_DATA_DIRS");
    const std::string list = dirs && !dirs->empty() ? *dirs : "/usr/local/share:/usr/share";
    for (const auto& folder : dataFolders(list)) result.push_back(folder / "applications");
    return result;
}

std::vector<DesktopEntry> InstalledApplications::read(const std::vector<std::filesystem::path>& folders) {
    std::set<std::string> seenIDs;
    std::set<std::string> seenIdentifiers;
    std::vector<DesktopEntry> entries;
    std::size_t files = 0;
    for (const auto& folder : folders) {
        std::error_code error;
        auto it = std::filesystem::recursive_directory_iterator(
            folder, std::filesystem::directory_options::skip_permission_denied, error);
        if (error) continue;
        std::vector<std::filesystem::path> paths;
        for (; it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            if (error || ++files > kMaximumFiles) break;
            if (it->path().extension() == ".desktop") paths.push_back(it->path());
        }
        std::sort(paths.begin(), paths.end());
        for (const auto& path : paths) {
            const std::string id = DesktopEntries::desktopID(path.lexically_relative(folder).generic_string());
            if (!seenIDs.insert(id).second) continue;
            const auto text = readText(path);
            if (!text) continue;
            auto parsed = DesktopEntries::parse(id, *text);
            if (!parsed.entry || !seenIdentifiers.insert(parsed.entry->identifier).second) continue;
            entries.push_back(std::move(*parsed.entry));
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const DesktopEntry& a, const DesktopEntry& b) {
        const int order = FocusExceptionApp::compareNames(a.name, b.name);
        return order != 0 ? order < 0 : a.identifier < b.identifier;
    });
    return entries;
}

}  // namespace tenvik
