// SPDX-License-Identifier: MIT
// Log.h: logging by subsystem and category ("org.vomira.Arvelo" / "windows"): levels, a public
// message and private details, written to a sink. The standard sink writes timestamped lines
// to stderr: info and above always, debug only while the debug switch is on; private details
// only when ARVELO_LOG_PRIVATE=1, and nothing in their place otherwise. The simulated desktop
// captures entries.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class LogLevel { debug, info, error, fault };
std::string_view toString(LogLevel level);

// Text as a log line may hold it: line breaks, tabs, escape sequences and every other control
// character (C0, DEL and the UTF-8 forms of C1) written as "\n", "\r", "\t" or "\xHH", and a
// backslash doubled, so text from outside (a URL, a window title) can never start a line of
// its own or drive the terminal. Other bytes, invalid UTF-8 included, pass as they are.
std::string escapeControlCharacters(std::string_view text);

struct LogEntry {
    LogLevel level = LogLevel::info;
    std::string subsystem;
    std::string category;
    std::string message;         // public text
    std::string privateDetails;  // redacted by sinks that publish

    friend bool operator==(const LogEntry&, const LogEntry&) = default;
};

// Where log entries go. write() may be called from any thread.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void write(const LogEntry& entry) = 0;
    // The debug switch (the user's debug-logging setting); sinks that keep every entry ignore it.
    virtual void setDebugEnabled(bool) {}
};

// Lines "<local date and time> <subsystem> [<category>] <level>: <message>[ <details>]" on
// stderr, message and details with their control characters escaped. Debug entries are written
// only while the debug switch is on or `alwaysDebug` was given (ARVELO_LOG_DEBUG=1).
class StderrLogSink : public LogSink {
public:
    // Seconds since 1970, for the timestamp; the system's wall clock when not given.
    using WallClock = std::function<double()>;

    explicit StderrLogSink(bool showPrivate = false, bool alwaysDebug = false, WallClock now = {});
    void write(const LogEntry& entry) override;
    void setDebugEnabled(bool enabled) override { debugEnabled_ = enabled; }
    bool writesDebug() const { return alwaysDebug_ || debugEnabled_; }

    // The line an entry becomes at `time`, without its line break: "2026-12-11 16:40:12.345
    // org.vomira.Arvelo [windows] info: text", the time in the local time zone.
    static std::string line(const LogEntry& entry, double time, bool showPrivate);

private:
    bool showPrivate_;
    bool alwaysDebug_;
    std::atomic<bool> debugEnabled_{false};
    WallClock now_;
    std::mutex mutex_;
};

// Keeps every entry in memory.
class CapturedLog : public LogSink {
public:
    void write(const LogEntry& entry) override;
    std::vector<LogEntry> entries() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<LogEntry> entries_;
};

// One logging category of one subsystem. A logger without a sink drops everything.
class Logger {
public:
    Logger() = default;
    Logger(std::shared_ptr<LogSink> sink, std::string subsystem, std::string category)
        : sink_(std::move(sink)), subsystem_(std::move(subsystem)), category_(std::move(category)) {}

    void log(LogLevel level, std::string message, std::string privateDetails = {}) const;
    void debug(std::string message, std::string privateDetails = {}) const {
        log(LogLevel::debug, std::move(message), std::move(privateDetails));
    }
    void info(std::string message, std::string privateDetails = {}) const {
        log(LogLevel::info, std::move(message), std::move(privateDetails));
    }
    void error(std::string message, std::string privateDetails = {}) const {
        log(LogLevel::error, std::move(message), std::move(privateDetails));
    }

    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

private:
    std::shared_ptr<LogSink> sink_;
    std::string subsystem_;
    std::string category_;
};

}  // namespace platform
