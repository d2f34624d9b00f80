// Log.h: logging by subsystem and category ("org.vomira.Arvelo" / "windows"): levels, a public
// message and private details, written to a sink. The standard sink writes to stderr (private
// details shown only when ARVELO_LOG_PRIVATE=1); the simulated desktop captures entries.
#pragma once

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
};

// Lines "<subsystem> [<category>] <level>: <message> <details>" on stderr, message and details
// with their control characters escaped.
class StderrLogSink : public LogSink {
public:
    explicit StderrLogSink(bool showPrivate = false) : showPrivate_(showPrivate) {}
    void write(const LogEntry& entry) override;

private:
    bool showPrivate_;
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
