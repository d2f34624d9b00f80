// SPDX-License-Identifier: MIT
// HotKeyManager.h: the kit's three global hot keys (toggle pin, toggle focus, release all)
// over the platform's hot-key service, under the signature 'TNVK' with ids counted from 1 and
// never reused. Its handler declines presses of other signatures (the arranger's 'ARVL'), so
// both sets share the keyboard. A press of a registered id becomes an Action for the owner.
// Failures are logged and kept as the last registration error. Main thread only.
#pragma once

#include "Platform/HotKeys.h"
#include "TenvikKit/Settings/HotKey.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tenvik {

class HotKeyManager {
public:
    enum class Action { togglePin, toggleFocus, releaseAll };

    static constexpr std::uint32_t kSignature = 0x544E564B;  // 'TNVK'
    // The status reported when the desktop offers no global hot keys at all.
    static constexpr platform::StatusCode kNoHotKeyServiceStatus = -50;

    explicit HotKeyManager(std::shared_ptr<platform::HotKeys> hotKeys);
    // Releases the keys and removes the handler.
    ~HotKeyManager();
    HotKeyManager(const HotKeyManager&) = delete;
    HotKeyManager& operator=(const HotKeyManager&) = delete;

    void installEventHandlerIfNeeded();
    void removeEventHandler();
    // Registers one shortcut for an action; an absent shortcut registers nothing and uses no id.
    void registerHotKey(const std::optional<HotKey>& hotKey, Action action);
    void unregisterAll();
    // A press of one of this manager's ids.
    void handleHotKey(std::uint32_t id);

    std::function<void(Action)> onAction;
    std::optional<std::string> lastRegistrationError;

    bool hasEventHandler() const { return eventHandler_ != 0; }
    const std::map<std::uint32_t, Action>& actionsByID() const { return actionsByID_; }
    std::uint32_t nextHotKeyID() const { return nextHotKeyID_; }

private:
    platform::StatusCode hotKeyEventHandler(platform::HotKeyID identity);

    std::shared_ptr<platform::HotKeys> hotKeys_;
    platform::HotKeyHandlerRef eventHandler_ = 0;
    std::vector<platform::HotKeyRef> hotKeyReferences_;
    std::map<std::uint32_t, Action> actionsByID_;
    std::uint32_t nextHotKeyID_ = 1;
};

std::string_view toString(HotKeyManager::Action action);

}  // namespace tenvik
