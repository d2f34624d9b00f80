// SPDX-License-Identifier: MIT
// FileLogSink.cpp: the line format and the appending writer over one open descriptor.
#include "TenvikKit/Log/FileLogSink.h"

#include "Platform/Files.h"
#include "Platform/Log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <system_error>

namespace tenvik {

namespace {

double systemNow() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

FileLogSink::FileLogSink(std::optional<std::filesystem::path> logsFolder, std::function<double()> now)
    : now_(now ? std::move(now) : std::function<double()>(systemNow)) {
    if (logsFolder) file_ = *logsFolder / "Tenvik" / "tenvik.log";
}

FileLogSink::~FileLogSink() {
    std::lock_guard lock(mutex_);
    closeLocked();
}

std::string FileLogSink::decimal(double value) {
    char buffer[64];
    // Plain decimals below 1e16, as times since 1970 always are; exponents beyond.
    const auto result = std::abs(value) < 1e16
                            ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
                            : std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".en") == std::string::npos) text += ".0";
    return text;
}

std::string FileLogSink::line(double secondsSince1970, std::string_view category, std::string_view level,
                              std::string_view text, bool hasPrivateDetails) {
    std::string out;
    out.reserve(48 + category.size() + text.size());
    out += decimal(secondsSince1970);
    out += " [";
    out += level;
    out += "] [";
    out += category;
    out += "] ";
    out += platform::escapeControlCharacters(text);  // one entry, one line, whatever the text holds
    if (hasPrivateDetails) out += " <private>";
    out += '\n';
    return out;
}

bool FileLogSink::openLocked(std::string& problem) {
    if (fd_ >= 0) return true;
    // The log holds other programs' window titles: owner-only, and never through a link.
    platform::createPrivateFolder(file_->parent_path(), true);
    fd_ = platform::openPrivateAppend(*file_);
    if (fd_ < 0) {
        problem = "cannot open the log file " + file_->string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void FileLogSink::closeLocked() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void FileLogSink::write(std::string_view category, std::string_view level, std::string_view text,
                        const std::optional<std::string>& privateDetails) {
    if (!enabled() || !file_) return;
    const std::string entry = line(now_(), category, level, text, privateDetails.has_value());
    std::string problem;
    {
        std::lock_guard lock(mutex_);
        struct stat info {};
        // A file removed or replaced behind our back is opened afresh.
        if (fd_ >= 0 && (::fstat(fd_, &info) != 0 || info.st_nlink == 0)) closeLocked();
        if (openLocked(problem)) {
            if (::fstat(fd_, &info) == 0 && static_cast<std::uintmax_t>(info.st_size) > kSizeLimit) {
                if (::ftruncate(fd_, 0) != 0)
                    problem = "cannot empty the log file: " + std::string(std::strerror(errno));
            }
            const char* data = entry.data();
            std::size_t left = entry.size();
            while (left > 0 && problem.empty()) {
                const ssize_t written = ::write(fd_, data, left);
                if (written < 0 && errno == EINTR) continue;
                if (written <= 0) {
                    problem = "cannot write the log file " + file_->string() + ": " + std::strerror(errno);
                    closeLocked();
                    break;
                }
                data += written;
                left -= static_cast<std::size_t>(written);
            }
        }
        if (problem.empty()) {
            failing_ = false;
            return;
        }
        if (failing_) return;
        failing_ = true;
    }
    if (onFailure) onFailure(problem);
}

}  // namespace tenvik
