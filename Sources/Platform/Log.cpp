// SPDX-License-Identifier: MIT
// Log.cpp: the standard and captured log sinks and the per-category logger.
#include "Platform/Log.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

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

std::string escapeControlCharacters(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    const auto hex = [&](unsigned char byte) {
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xf];
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f) {
            hex(byte);
        } else if (byte == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9f) {
            // U+0080 to U+009F (NEL, CSI, ...): the code point's byte.
            hex(static_cast<unsigned char>(text[++i]));
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

StderrLogSink::StderrLogSink(bool showPrivate, bool alwaysDebug, WallClock now)
    : showPrivate_(showPrivate), alwaysDebug_(alwaysDebug), now_(std::move(now)) {
    if (!now_)
        now_ = [] {
            return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
        };
}

std::string StderrLogSink::line(const LogEntry& entry, double time, bool showPrivate) {
    const auto seconds = static_cast<std::time_t>(std::floor(time));
    const int millis = std::clamp(static_cast<int>((time - std::floor(time)) * 1000), 0, 999);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[40];
    const std::size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03d", millis);
    std::string text = std::string(stamp, length) + fraction + " " + entry.subsystem + " [" + entry.category + "] " +
                       std::string(toString(entry.level)) + ": " + escapeControlCharacters(entry.message);
    if (showPrivate && !entry.privateDetails.empty()) text += " " + escapeControlCharacters(entry.privateDetails);
    return text;
}

void StderrLogSink::write(const LogEntry& entry) {
    if (entry.level == LogLevel::debug && !writesDebug()) return;
    const std::string text = line(entry, now_(), showPrivate_) + '\n';
    std::lock_guard lock(mutex_);
    std::fputs(text.c_str(), stderr);
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
