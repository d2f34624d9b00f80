// SPDX-License-Identifier: MIT
// KitWindows.h: what the kit controller uses of the kit's settings and onboarding windows: the
// settings tabs by name, showing either window, and whether a shortcut is being recorded
// (posted as "ShortcutRecordingStateDidChange" when it changes). The windows are set by the
// shell once they exist; until then showing them only logs.
#pragma once

#include "TenvikKit/Support/NotificationCenter.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tenvik {

enum class SettingsTab { general, shortcuts, focus, pin, permissions };

std::optional<SettingsTab> settingsTabFromRawValue(std::string_view raw);
std::string_view rawValue(SettingsTab tab);

struct KitWindows {
    std::function<void(std::optional<SettingsTab>)> showSettings;
    std::function<void()> showOnboarding;
};

class ShortcutRecordingState {
public:
    static constexpr const char* kDidChangeNotification = "ShortcutRecordingStateDidChange";

    explicit ShortcutRecordingState(NotificationCenter& center = NotificationCenter::defaultCenter())
        : center_(&center) {}

    bool isRecording() const { return isRecording_; }
    void setRecording(bool recording) {
        if (recording == isRecording_) return;
        isRecording_ = recording;
        center_->post(kDidChangeNotification);
    }

private:
    NotificationCenter* center_;
    bool isRecording_ = false;
};

}  // namespace tenvik
