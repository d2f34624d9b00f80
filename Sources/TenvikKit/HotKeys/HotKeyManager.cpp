// SPDX-License-Identifier: MIT
// HotKeyManager.cpp: installing the handler, registering and releasing the kit's keys, and
// turning presses into actions.
#include "TenvikKit/HotKeys/HotKeyManager.h"

#include "TenvikKit/Log/LogChannel.h"

namespace tenvik {

namespace {

constexpr const char* kNoGlobalShortcutsText = "global shortcuts are not available on this desktop";

}  // namespace

std::string_view toString(HotKeyManager::Action action) {
    switch (action) {
        case HotKeyManager::Action::togglePin:
            return "togglePin";
        case HotKeyManager::Action::toggleFocus:
            return "toggleFocus";
        case HotKeyManager::Action::releaseAll:
            return "releaseAll";
    }
    return "togglePin";
}

HotKeyManager::HotKeyManager(std::shared_ptr<platform::HotKeys> hotKeys) : hotKeys_(std::move(hotKeys)) {}

HotKeyManager::~HotKeyManager() {
    unregisterAll();
    removeEventHandler();
}

void HotKeyManager::installEventHandlerIfNeeded() {
    if (eventHandler_ != 0) return;
    if (!hotKeys_) {
        Log::hotkey().error(kNoGlobalShortcutsText);
        lastRegistrationError = "Global shortcuts are not available on this desktop. The menu still works.";
        return;
    }
    eventHandler_ =
        hotKeys_->installHandler([this](platform::HotKeyID identity) { return hotKeyEventHandler(identity); });
}

void HotKeyManager::removeEventHandler() {
    if (eventHandler_ != 0 && hotKeys_) hotKeys_->removeHandler(eventHandler_);
    eventHandler_ = 0;
}

void HotKeyManager::registerHotKey(const std::optional<HotKey>& hotKey, Action action) {
    if (!hotKey) return;
    // A key without Super, Ctrl or Alt would be grabbed from every application.
    if (!hotKey->holdsCommandModifier()) {
        const std::string text = "hotkey " + hotKey->displayString() + " not registered: it has no Super, Ctrl or Alt";
        Log::hotkey().info(text + " action=" + std::string(toString(action)));
        lastRegistrationError = text;
        return;
    }
    const std::uint32_t id = nextHotKeyID_++;
    platform::HotKeyRef reference = 0;
    const platform::StatusCode status =
        hotKeys_ ? hotKeys_->registerHotKey(hotKey->keyCode, hotKey->modifiers, {kSignature, id}, reference)
                 : kNoHotKeyServiceStatus;
    if (status == platform::kNoErr && reference != 0) {
        hotKeyReferences_.push_back(reference);
        actionsByID_[id] = action;
        Log::hotkey().info("registered " + hotKey->displayString() + " action=" + std::string(toString(action)));
        return;
    }
    const std::string refusal = hotKeys_ ? hotKeys_->refusalText(hotKey->keyCode, hotKey->modifiers, status)
                                         : hotKey->displayString() + " cannot be used: " + kNoGlobalShortcutsText;
    Log::hotkey().error(refusal);
    lastRegistrationError = refusal + ". Record another shortcut in Settings, Shortcuts.";
}

void HotKeyManager::unregisterAll() {
    if (hotKeys_)
        for (platform::HotKeyRef reference : hotKeyReferences_) hotKeys_->unregisterHotKey(reference);
    hotKeyReferences_.clear();
    actionsByID_.clear();
}

platform::StatusCode HotKeyManager::hotKeyEventHandler(platform::HotKeyID identity) {
    if (identity.signature != kSignature) return platform::kEventNotHandledErr;
    handleHotKey(identity.id);
    return platform::kNoErr;
}

void HotKeyManager::handleHotKey(std::uint32_t id) {
    const auto it = actionsByID_.find(id);
    if (it == actionsByID_.end()) return;
    Log::hotkey().debug("hotkey pressed action=" + std::string(toString(it->second)));
    if (onAction) onAction(it->second);
}

}  // namespace tenvik
