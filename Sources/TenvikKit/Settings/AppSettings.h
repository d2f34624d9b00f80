// SPDX-License-Identifier: MIT
// AppSettings.h: the kit's twelve user settings, backed by the user defaults under
// "settings.<property>". Loading normalises every value and migrates two older forms; every
// assignment stores the value, tells observers when it changed, and saves all twelve keys,
// after which "AppSettingsDidChange" is posted. One instance per process, made by the shell
// after the one-time import and handed to everything of the kit that reads settings.
// Main thread only.
#pragma once

#include "Platform/Published.h"
#include "Platform/UserDefaults.h"
#include "TenvikKit/Settings/GestureAction.h"
#include "TenvikKit/Settings/HotKey.h"
#include "TenvikKit/Support/NotificationCenter.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tenvik {

class AppSettings {
public:
    static constexpr const char* kDidChangeNotification = "AppSettingsDidChange";

    static constexpr const char* kPinOpacityKey = "settings.pinOpacity";
    static constexpr const char* kLaunchAtLoginRequestedKey = "settings.launchAtLoginRequested";
    static constexpr const char* kHasCompletedOnboardingKey = "settings.hasCompletedOnboarding";
    static constexpr const char* kTapGestureActionKey = "settings.tapGestureAction";
    static constexpr const char* kPressGestureActionKey = "settings.pressGestureAction";
    static constexpr const char* kPinHotKeyKey = "settings.pinHotKey";
    static constexpr const char* kFocusHotKeyKey = "settings.focusHotKey";
    static constexpr const char* kReleaseAllHotKeyKey = "settings.releaseAllHotKey";
    static constexpr const char* kDebugLoggingEnabledKey = "settings.debugLoggingEnabled";
    static constexpr const char* kPinShowsBorderKey = "settings.pinShowsBorder";
    static constexpr const char* kPinIdleFPSKey = "settings.pinIdleFPS";
    static constexpr const char* kFocusAllowedApplicationIDsKey = "settings.focusAllowedBundleIDs";
    // The opacity's key before it moved under "settings.".
    static constexpr const char* kLegacyOpacityKey = "PinnedWindowOpacity";

    static constexpr double kDefaultPinOpacity = 1.0;
    static constexpr double kMinimumPinOpacity = 0.1;
    static constexpr double kMaximumPinOpacity = 1.0;
    static constexpr int kDefaultPinIdleFPS = 10;
    static constexpr HotKey kDefaultPinHotKey{35, HotKey::kOption | HotKey::kCommand};         // Super+Alt+P
    static constexpr HotKey kDefaultFocusHotKey{3, HotKey::kOption | HotKey::kCommand};        // Super+Alt+F
    static constexpr HotKey kDefaultReleaseAllHotKey{15, HotKey::kOption | HotKey::kCommand};  // Super+Alt+R
    static const std::vector<std::string>& defaultFocusAllowedApplicationIDs();

    // Loads, normalises and migrates; writes every key back and posts once per property.
    explicit AppSettings(std::shared_ptr<platform::UserDefaults> defaults,
                         NotificationCenter& center = NotificationCenter::defaultCenter());
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    double pinOpacity() const { return pinOpacity_; }
    bool launchAtLoginRequested() const { return launchAtLoginRequested_; }
    bool hasCompletedOnboarding() const { return hasCompletedOnboarding_; }
    GestureAction tapGestureAction() const { return tapGestureAction_; }
    GestureAction pressGestureAction() const { return pressGestureAction_; }
    const std::optional<HotKey>& pinHotKey() const { return pinHotKey_; }
    const std::optional<HotKey>& focusHotKey() const { return focusHotKey_; }
    const std::optional<HotKey>& releaseAllHotKey() const { return releaseAllHotKey_; }
    bool debugLoggingEnabled() const { return debugLoggingEnabled_; }
    bool pinShowsBorder() const { return pinShowsBorder_; }
    int pinIdleFPS() const { return pinIdleFPS_; }
    const std::vector<std::string>& focusAllowedApplicationIDs() const { return focusAllowedApplicationIDs_; }

    // A value that is not a finite number counts as the default; the rest is clamped.
    void setPinOpacity(double value);
    void setLaunchAtLoginRequested(bool value);
    void setHasCompletedOnboarding(bool value);
    void setTapGestureAction(GestureAction value);
    void setPressGestureAction(GestureAction value);
    void setPinHotKey(std::optional<HotKey> value);
    void setFocusHotKey(std::optional<HotKey> value);
    void setReleaseAllHotKey(std::optional<HotKey> value);
    void setDebugLoggingEnabled(bool value);
    void setPinShowsBorder(bool value);
    // Anything but 5, 10, 15 or 30 is stored as 10.
    void setPinIdleFPS(int value);
    void setFocusAllowedApplicationIDs(std::vector<std::string> value);

    // Writes all twelve keys, then posts "AppSettingsDidChange".
    void save();

    const std::shared_ptr<platform::UserDefaults>& defaults() const { return defaults_; }

    // Told after every assignment that changed a value (views redraw on it).
    platform::ChangeNotifier changes;

    // Steps of loading, usable on any store.
    static void migrateLegacyOpacityIfNeeded(platform::UserDefaults& defaults);
    // A shortcut's stored text ("Super+Alt+P"; null or "" for none), or the encoded form earlier
    // builds wrote (it is written as text at the next save). A text that names no shortcut, or
    // a value of another kind, is logged and gives `fallback`; an absent key gives `fallback`.
    static std::optional<HotKey> loadHotKey(const std::string& key, std::optional<HotKey> fallback,
                                            const platform::UserDefaults& defaults);

private:
    template <class T>
    void store(T& field, T value);

    std::shared_ptr<platform::UserDefaults> defaults_;
    NotificationCenter* center_;

    double pinOpacity_ = kDefaultPinOpacity;
    bool launchAtLoginRequested_ = false;
    bool hasCompletedOnboarding_ = false;
    GestureAction tapGestureAction_ = GestureAction::togglePin;
    GestureAction pressGestureAction_ = GestureAction::toggleFocus;
    std::optional<HotKey> pinHotKey_ = kDefaultPinHotKey;
    std::optional<HotKey> focusHotKey_ = kDefaultFocusHotKey;
    std::optional<HotKey> releaseAllHotKey_ = kDefaultReleaseAllHotKey;
    bool debugLoggingEnabled_ = false;
    bool pinShowsBorder_ = true;
    int pinIdleFPS_ = kDefaultPinIdleFPS;
    std::vector<std::string> focusAllowedApplicationIDs_ = defaultFocusAllowedApplicationIDs();
};

}  // namespace tenvik
