// SPDX-License-Identifier: MIT
// AppSettings.cpp: loading with its normalisation and migrations, the normalising setters,
// and saving every key.
#include "TenvikKit/Settings/AppSettings.h"

#include "TenvikKit/Log/LogChannel.h"

#include <algorithm>
#include <cmath>

namespace tenvik {

namespace {

constexpr HotKey kLegacyReleaseAllHotKey{53, HotKey::kOption | HotKey::kCommand};  // Super+Alt+Escape

bool isIdleFPSChoice(std::int64_t value) { return value == 5 || value == 10 || value == 15 || value == 30; }

double clampedOpacity(double value) {
    return std::clamp(value, AppSettings::kMinimumPinOpacity, AppSettings::kMaximumPinOpacity);
}

// A shortcut is stored as its text ("Super+Alt+P"); no shortcut is null.
platform::DefaultsValue hotKeyValue(const std::optional<HotKey>& hotKey) {
    return hotKey ? platform::DefaultsValue(hotKey->displayString()) : platform::DefaultsValue(nullptr);
}

std::string shortcutText(const std::optional<HotKey>& hotKey) { return hotKey ? hotKey->displayString() : "none"; }

}  // namespace

const std::vector<std::string>& AppSettings::defaultFocusAllowedApplicationIDs() {
    // The user's list starts empty: what must never be pushed back is always allowed anyway.
    static const std::vector<std::string> ids;
    return ids;
}

void AppSettings::migrateLegacyOpacityIfNeeded(platform::UserDefaults& defaults) {
    const std::optional<double> legacy = defaults.number(kLegacyOpacityKey);
    if (!legacy) return;
    if (!defaults.contains(kPinOpacityKey)) {
        const double value = !std::isfinite(*legacy) || *legacy <= 0 ? kDefaultPinOpacity : clampedOpacity(*legacy);
        defaults.setNumber(kPinOpacityKey, value);
    }
    defaults.remove(kLegacyOpacityKey);
}

std::optional<HotKey> AppSettings::loadHotKey(const std::string& key, std::optional<HotKey> fallback,
                                              const platform::UserDefaults& defaults) {
    const auto value = defaults.object(key);
    if (!value) return fallback;
    if (value->is_null()) return std::nullopt;
    std::optional<HotKey> loaded;
    if (value->is_string()) {
        const std::string text = value->get<std::string>();
        if (text.empty()) return std::nullopt;
        loaded = HotKey::fromText(text);
        if (!loaded) {
            Log::app().error("settings: \"" + text + "\" in " + key + " is no shortcut; using " + shortcutText(fallback));
            return fallback;
        }
    } else {
        // The encoded form of earlier builds; saving writes it as text from now on.
        std::optional<HotKey> decoded;
        const auto bytes = defaults.data(key);
        if (!bytes || !HotKey::decode(*bytes, decoded)) {
            Log::app().error("settings: " + key + " holds no shortcut; using " + shortcutText(fallback));
            return fallback;
        }
        if (!decoded) return std::nullopt;
        loaded = decoded;
    }
    // A key without Super, Ctrl or Alt (stored by hand, or imported from old settings) would be
    // taken from every application: never registered, the default stands in for it.
    if (!loaded->holdsCommandModifier()) {
        Log::hotkey().info(key + ": the stored shortcut " + loaded->displayString() +
                           " has no Super, Ctrl or Alt; the default " + shortcutText(fallback) + " is used");
        return fallback;
    }
    return loaded;
}

AppSettings::AppSettings(std::shared_ptr<platform::UserDefaults> defaults, NotificationCenter& center)
    : defaults_(std::move(defaults)), center_(&center) {
    platform::UserDefaults& store = *defaults_;
    migrateLegacyOpacityIfNeeded(store);

    double opacity = store.number(kPinOpacityKey).value_or(kDefaultPinOpacity);
    if (!std::isfinite(opacity)) opacity = kDefaultPinOpacity;
    const bool launchAtLogin = store.boolean(kLaunchAtLoginRequestedKey).value_or(false);
    const bool completedOnboarding = store.boolean(kHasCompletedOnboardingKey).value_or(false);
    const auto action = [&](const char* key, GestureAction fallback) {
        const auto raw = store.string(key);
        return raw ? gestureActionFromRawValue(*raw).value_or(fallback) : fallback;
    };
    const GestureAction tap = action(kTapGestureActionKey, GestureAction::togglePin);
    const GestureAction press = action(kPressGestureActionKey, GestureAction::toggleFocus);
    const auto pin = loadHotKey(kPinHotKeyKey, kDefaultPinHotKey, store);
    const auto focus = loadHotKey(kFocusHotKeyKey, kDefaultFocusHotKey, store);
    auto releaseAll = loadHotKey(kReleaseAllHotKeyKey, kDefaultReleaseAllHotKey, store);
    if (releaseAll == kLegacyReleaseAllHotKey) {
        releaseAll = kDefaultReleaseAllHotKey;
        store.set(kReleaseAllHotKeyKey, hotKeyValue(releaseAll));
    }
    const bool debugLogging = store.boolean(kDebugLoggingEnabledKey).value_or(false);
    const bool showsBorder = store.boolean(kPinShowsBorderKey).value_or(true);
    const std::int64_t fps = store.integer(kPinIdleFPSKey).value_or(0);
    const auto allowed = store.stringArray(kFocusAllowedApplicationIDsKey).value_or(defaultFocusAllowedApplicationIDs());

    setPinOpacity(clampedOpacity(opacity));
    setLaunchAtLoginRequested(launchAtLogin);
    setHasCompletedOnboarding(completedOnboarding);
    setTapGestureAction(tap);
    setPressGestureAction(press);
    setPinHotKey(pin);
    setFocusHotKey(focus);
    setReleaseAllHotKey(releaseAll);
    setDebugLoggingEnabled(debugLogging);
    setPinShowsBorder(showsBorder);
    setPinIdleFPS(isIdleFPSChoice(fps) ? static_cast<int>(fps) : kDefaultPinIdleFPS);
    setFocusAllowedApplicationIDs(allowed);
}

template <class T>
void AppSettings::store(T& field, T value) {
    const bool changed = !(field == value);
    field = std::move(value);
    if (changed) changes.send();
}

void AppSettings::setPinOpacity(double value) {
    // A value that is no number would pass any clamp and reach the panels.
    if (!std::isfinite(value)) value = kDefaultPinOpacity;
    store(pinOpacity_, value);
    const double clamped = clampedOpacity(value);
    if (clamped != value) setPinOpacity(clamped);
    save();
}

void AppSettings::setLaunchAtLoginRequested(bool value) {
    store(launchAtLoginRequested_, value);
    save();
}

void AppSettings::setHasCompletedOnboarding(bool value) {
    store(hasCompletedOnboarding_, value);
    save();
}

void AppSettings::setTapGestureAction(GestureAction value) {
    store(tapGestureAction_, value);
    save();
}

void AppSettings::setPressGestureAction(GestureAction value) {
    store(pressGestureAction_, value);
    save();
}

void AppSettings::setPinHotKey(std::optional<HotKey> value) {
    store(pinHotKey_, value);
    save();
}

void AppSettings::setFocusHotKey(std::optional<HotKey> value) {
    store(focusHotKey_, value);
    save();
}

void AppSettings::setReleaseAllHotKey(std::optional<HotKey> value) {
    store(releaseAllHotKey_, value);
    save();
}

void AppSettings::setDebugLoggingEnabled(bool value) {
    store(debugLoggingEnabled_, value);
    save();
}

void AppSettings::setPinShowsBorder(bool value) {
    store(pinShowsBorder_, value);
    save();
}

void AppSettings::setPinIdleFPS(int value) {
    store(pinIdleFPS_, value);
    if (!isIdleFPSChoice(value)) setPinIdleFPS(kDefaultPinIdleFPS);
    save();
}

void AppSettings::setFocusAllowedApplicationIDs(std::vector<std::string> value) {
    store(focusAllowedApplicationIDs_, std::move(value));
    save();
}

void AppSettings::save() {
    defaults_->setValues({
        {kPinOpacityKey, pinOpacity_},
        {kLaunchAtLoginRequestedKey, launchAtLoginRequested_},
        {kHasCompletedOnboardingKey, hasCompletedOnboarding_},
        {kTapGestureActionKey, std::string(rawValue(tapGestureAction_))},
        {kPressGestureActionKey, std::string(rawValue(pressGestureAction_))},
        {kPinHotKeyKey, hotKeyValue(pinHotKey_)},
        {kFocusHotKeyKey, hotKeyValue(focusHotKey_)},
        {kReleaseAllHotKeyKey, hotKeyValue(releaseAllHotKey_)},
        {kDebugLoggingEnabledKey, debugLoggingEnabled_},
        {kPinShowsBorderKey, pinShowsBorder_},
        {kPinIdleFPSKey, pinIdleFPS_},
        {kFocusAllowedApplicationIDsKey, focusAllowedApplicationIDs_},
    });
    center_->post(kDidChangeNotification);
}

}  // namespace tenvik
