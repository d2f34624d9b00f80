// SPDX-License-Identifier: MIT
// LogChannel.cpp: the channels, the process-wide sinks they write to, and the file switch.
#include "TenvikKit/Log/LogChannel.h"

#include "TenvikKit/Settings/AppSettings.h"

#include <mutex>

namespace tenvik {

namespace {

struct Sinks {
    std::mutex mutex;
    std::shared_ptr<platform::LogSink> unified;
    std::shared_ptr<FileLogSink> file;
};

Sinks& sinks() {
    static Sinks shared;
    return shared;
}

}  // namespace

void LogChannel::write(platform::LogLevel level, std::string_view levelWord, const std::string& text,
                       const std::optional<std::string>& privateDetails) const {
    const auto unified = Log::unifiedSink();
    const auto file = Log::fileSink();
    if (unified) unified->write({level, Log::kSubsystem, category_, text, privateDetails.value_or(std::string())});
    if (file) file->write(category_, levelWord, text, privateDetails);
}

void LogChannel::debug(const std::string& text, const std::optional<std::string>& privateDetails) const {
    write(platform::LogLevel::debug, "debug", text, privateDetails);
}

void LogChannel::info(const std::string& text, const std::optional<std::string>& privateDetails) const {
    write(platform::LogLevel::info, "info", text, privateDetails);
}

void LogChannel::error(const std::string& text, const std::optional<std::string>& privateDetails) const {
    write(platform::LogLevel::error, "error", text, privateDetails);
}

const LogChannel& Log::app() {
    static const LogChannel channel("app");
    return channel;
}

const LogChannel& Log::pin() {
    static const LogChannel channel("pin");
    return channel;
}

const LogChannel& Log::gesture() {
    static const LogChannel channel("gesture");
    return channel;
}

const LogChannel& Log::hotkey() {
    static const LogChannel channel("hotkey");
    return channel;
}

void Log::configure(std::shared_ptr<platform::LogSink> unified, std::shared_ptr<FileLogSink> file) {
    if (file && unified && !file->onFailure) {
        std::weak_ptr<platform::LogSink> weak = unified;
        file->onFailure = [weak](const std::string& problem) {
            if (auto sink = weak.lock()) sink->write({platform::LogLevel::error, kSubsystem, "app", problem, {}});
        };
    }
    std::lock_guard lock(sinks().mutex);
    sinks().unified = std::move(unified);
    sinks().file = std::move(file);
}

platform::Subscription Log::followDebugLoggingSetting(std::shared_ptr<platform::UserDefaults> defaults,
                                                      NotificationCenter& center) {
    const auto update = [defaults] {
        const bool enabled = defaults->boolean(AppSettings::kDebugLoggingEnabledKey).value_or(false);
        if (auto file = fileSink()) file->setEnabled(enabled);
        // The same switch lets the program's own debug lines through.
        if (auto unified = unifiedSink()) unified->setDebugEnabled(enabled);
    };
    update();
    return center.observe(AppSettings::kDidChangeNotification, update);
}

std::shared_ptr<platform::LogSink> Log::unifiedSink() {
    std::lock_guard lock(sinks().mutex);
    return sinks().unified;
}

std::shared_ptr<FileLogSink> Log::fileSink() {
    std::lock_guard lock(sinks().mutex);
    return sinks().file;
}

}  // namespace tenvik
