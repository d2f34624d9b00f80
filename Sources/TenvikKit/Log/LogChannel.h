// SPDX-License-Identifier: MIT
// LogChannel.h: the kit's four log channels ("app", "pin", "gesture", "hotkey"). Every message
// goes to the program's log under the kit's subsystem ("org.vomira.Tenvik"), its private
// details kept private there, and to the kit's log file while debug logging is on. Usable
// from any thread; never fails for the caller.
#pragma once

#include "Platform/Log.h"
#include "Platform/UserDefaults.h"
#include "TenvikKit/Log/FileLogSink.h"
#include "TenvikKit/Support/NotificationCenter.h"

#include <memory>
#include <optional>
#include <string>

namespace tenvik {

class LogChannel {
public:
    explicit LogChannel(std::string category) : category_(std::move(category)) {}

    void debug(const std::string& text, const std::optional<std::string>& privateDetails = std::nullopt) const;
    void info(const std::string& text, const std::optional<std::string>& privateDetails = std::nullopt) const;
    void error(const std::string& text, const std::optional<std::string>& privateDetails = std::nullopt) const;

    const std::string& category() const { return category_; }

private:
    void write(platform::LogLevel level, std::string_view levelWord, const std::string& text,
               const std::optional<std::string>& privateDetails) const;

    std::string category_;
};

class Log {
public:
    static constexpr const char* kSubsystem = "org.vomira.Tenvik";

    static const LogChannel& app();
    static const LogChannel& pin();
    static const LogChannel& gesture();
    static const LogChannel& hotkey();

    // Where the channels write: the program's log sink and the kit's file (either may be
    // absent). Called once by the shell before the kit starts; tests call it again.
    static void configure(std::shared_ptr<platform::LogSink> unified, std::shared_ptr<FileLogSink> file);
    // Keeps the file's switch in step with "settings.debugLoggingEnabled" of `defaults`: read
    // now and after every "AppSettingsDidChange". The subscription must live as long as that.
    [[nodiscard]] static platform::Subscription followDebugLoggingSetting(
        std::shared_ptr<platform::UserDefaults> defaults,
        NotificationCenter& center = NotificationCenter::defaultCenter());

    static std::shared_ptr<platform::LogSink> unifiedSink();
    static std::shared_ptr<FileLogSink> fileSink();
};

}  // namespace tenvik
