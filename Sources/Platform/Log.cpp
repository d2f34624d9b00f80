// Log.cpp: the standard and captured log sinks and the per-category logger.
#include "Platform/Log.h"

#include <cstdio>

namespace platform {

std::string_view toString(LogLevel level) {
    switch (level) {
        case LogLevel::debug:
            return "debug";
        case LogLevel::info:
            return "info";
        case LogLevel::error:
            return "error";
        case LogLevel::fault:
            return "fault";
    }
    return "info";
}

void StderrLogSink::write(const LogEntry& entry) {
    std::string line =
        entry.subsystem + " [" + entry.category + "] " + std::string(toString(entry.level)) + ": " + entry.message;
    if (!entry.privateDetails.empty()) line += showPrivate_ ? " " + entry.privateDetails : " <private>";
    line += '\n';
    std::lock_guard lock(mutex_);
    std::fputs(line.c_str(), stderr);
}

void CapturedLog::write(const LogEntry& entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(entry);
}

std::vector<LogEntry> CapturedLog::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

void CapturedLog::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

void Logger::log(LogLevel level, std::string message, std::string privateDetails) const {
    if (!sink_) return;
    sink_->write({level, subsystem_, category_, std::move(message), std::move(privateDetails)});
}

}  // namespace platform
