// SPDX-License-Identifier: MIT
// Files.cpp: atomic file replacement over POSIX calls (mkstemp, fsync, rename), whole-file
// reads that never follow a symbolic link (O_NOFOLLOW), and owner-only folders.
#include "Platform/Files.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr mode_t kPrivateFolderMode = 0700;

bool writeAll(int fd, std::string_view contents) {
    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

mode_t modeOf(std::filesystem::perms perms) { return static_cast<mode_t>(perms) & 07777; }

}  // namespace

bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents, std::filesystem::perms mode) {
    if (path.filename().empty()) return false;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkstemp creates the file 0600 and exclusively: nobody else can open it meanwhile.
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    const bool ok = writeAll(fd, contents) && ::fchmod(fd, modeOf(mode)) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    // rename() replaces a symbolic link at `path` itself, never the file it points to.
    if (!ok || !closed || ::rename(name.data(), path.c_str()) != 0) {
        ::unlink(name.data());
        return false;
    }
    return true;
}

std::size_t removeStaleTemporaries(const std::filesystem::path& folder, const std::vector<std::string>& names) {
    constexpr std::size_t kRandomPart = 6;  // mkstemp's XXXXXX
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) return 0;
    std::vector<std::filesystem::path> stale;
    for (const auto& entry : entries) {
        const std::string file = entry.path().filename().string();
        for (const std::string& name : names) {
            const std::string prefix = "." + name + ".";
            if (file.size() != prefix.size() + kRandomPart || !file.starts_with(prefix)) continue;
            struct stat info {};
            if (::lstat(entry.path().c_str(), &info) == 0 && S_ISREG(info.st_mode)) stale.push_back(entry.path());
        }
    }
    std::size_t removed = 0;
    for (const auto& path : stale) removed += ::unlink(path.c_str()) == 0 ? 1 : 0;
    return removed;
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

bool createPrivateFolder(const std::filesystem::path& folder, bool closeExisting) {
    if (folder.empty()) return false;
    std::vector<std::filesystem::path> missing;
    for (std::filesystem::path at = folder; !at.empty(); at = at.parent_path()) {
        struct stat info {};
        if (::stat(at.c_str(), &info) == 0) break;
        if (errno != ENOENT) return false;
        missing.push_back(at);
        if (at == at.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        if (::mkdir(it->c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) return false;
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    if (closeExisting && info.st_uid == ::geteuid() && (info.st_mode & 077) != 0)
        ::chmod(folder.c_str(), kPrivateFolderMode);
    return true;
}

int openPrivateAppend(const std::filesystem::path& path) {
    // Never waits: a FIFO planted at the path would block a plain open until a reader came.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

}  // namespace platform
