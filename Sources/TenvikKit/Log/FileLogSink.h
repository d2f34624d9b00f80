// SPDX-License-Identifier: MIT
// FileLogSink.h: the kit's log file, "<Logs>/Tenvik/tenvik.log" (Logs = $XDG_STATE_HOME), written
// while debug logging is on. One line per message:
//   "<seconds since 1970> [<level>] [<category>] <text>[ <private>]\n"
// Private details never reach the file, only the marker. A file grown past 5,242,880 bytes is
// emptied before the next line. The file stays open between lines; writes from any thread are
// serialised, so every line lands whole. Failures (no folder, a full disk) are reported once
// through onFailure and never thrown.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tenvik {

class FileLogSink {
public:
    static constexpr std::uintmax_t kSizeLimit = 5'242'880;

    // `logsFolder` absent: no file at all. `now` gives seconds since 1970 (the system clock
    // when not given).
    explicit FileLogSink(std::optional<std::filesystem::path> logsFolder, std::function<double()> now = {});
    ~FileLogSink();
    FileLogSink(const FileLogSink&) = delete;
    FileLogSink& operator=(const FileLogSink&) = delete;

    // "<Logs>/Tenvik/tenvik.log".
    std::optional<std::filesystem::path> fileURL() const { return file_; }

    // Mirrors the "settings.debugLoggingEnabled" default; read at every line.
    void setEnabled(bool enabled) { enabled_.store(enabled, std::memory_order_relaxed); }
    bool enabled() const { return enabled_.load(std::memory_order_relaxed); }

    void write(std::string_view category, std::string_view level, std::string_view text,
               const std::optional<std::string>& privateDetails);

    // The line for one message, line feed included.
    static std::string line(double secondsSince1970, std::string_view category, std::string_view level,
                            std::string_view text, bool hasPrivateDetails);
    // A double in its shortest form that reads back the same, always with a decimal point
    // or an exponent ("1700000000.25", "1700000000.0").
    static std::string decimal(double value);

    // Told (from the writing thread, without the lock) when the file cannot be opened or
    // written; once until a line is written again.
    std::function<void(const std::string& problem)> onFailure;

private:
    bool openLocked(std::string& problem);
    void closeLocked();

    std::optional<std::filesystem::path> file_;
    std::function<double()> now_;
    std::atomic<bool> enabled_{false};
    std::mutex mutex_;
    int fd_ = -1;
    bool failing_ = false;
};

}  // namespace tenvik
