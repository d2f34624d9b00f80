// SPDX-License-Identifier: MIT
// HotKeys.cpp: the registration table and the handler chain shared by every hot-key backend.
#include "Platform/HotKeys.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace platform {

std::optional<std::string> HotKeys::holderOf(std::uint32_t, std::uint32_t) { return std::nullopt; }

std::optional<std::string> HotKeys::invalidReason(std::uint32_t, std::uint32_t) { return std::nullopt; }

std::string HotKeys::refusalText(std::uint32_t keyCode, std::uint32_t modifiers, StatusCode status) {
    const std::string name = hotKeyName(keyCode, modifiers & kHotKeyModifierMask);
    if (status == kEventHotKeyExistsErr) {
        const bool ours = std::any_of(registrations_.begin(), registrations_.end(), [&](const auto& entry) {
            return entry.second.keyCode == keyCode && entry.second.modifiers == (modifiers & kHotKeyModifierMask);
        });
        if (ours) return name + " is already another shortcut of this program";
        const auto holder = holderOf(keyCode, modifiers & kHotKeyModifierMask);
        return name + " is held by " + (holder ? *holder : "another program");
    }
    if (status == kEventHotKeyInvalidErr)
        return name + " cannot be used: " +
               invalidReason(keyCode, modifiers & kHotKeyModifierMask).value_or("no key of this keyboard carries it");
    return name + " could not be taken from the X server";
}

HotKeyHandlerRef HotKeys::installHandler(Handler handler) {
    const HotKeyHandlerRef ref = nextRef_++;
    handlers_.emplace_back(ref, std::make_shared<Handler>(std::move(handler)));
    return ref;
}

void HotKeys::removeHandler(HotKeyHandlerRef handler) {
    std::erase_if(handlers_, [&](const auto& entry) { return entry.first == handler; });
}

StatusCode HotKeys::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyID identity, HotKeyRef& ref) {
    ref = 0;
    modifiers &= kHotKeyModifierMask;
    const bool taken = std::any_of(registrations_.begin(), registrations_.end(), [&](const auto& entry) {
        return entry.second.keyCode == keyCode && entry.second.modifiers == modifiers;
    });
    if (taken) return kEventHotKeyExistsErr;
    if (const StatusCode status = grab(keyCode, modifiers); status != kNoErr) return status;
    ref = nextRef_++;
    registrations_[ref] = Registration{keyCode, modifiers, identity};
    return kNoErr;
}

StatusCode HotKeys::unregisterHotKey(HotKeyRef ref) {
    const auto it = registrations_.find(ref);
    if (it == registrations_.end()) return kEventHotKeyInvalidErr;
    const Registration registration = it->second;
    registrations_.erase(it);
    ungrab(registration.keyCode, registration.modifiers);
    return kNoErr;
}

bool HotKeys::pressed(std::uint32_t keyCode, std::uint32_t modifiers) {
    modifiers &= kHotKeyModifierMask;
    const auto it = std::find_if(registrations_.begin(), registrations_.end(), [&](const auto& entry) {
        return entry.second.keyCode == keyCode && entry.second.modifiers == modifiers;
    });
    if (it == registrations_.end()) return false;
    const HotKeyID identity = it->second.identity;
    // A handler may install or remove handlers; the chain is the one in place at the press.
    const auto chain = handlers_;
    for (auto entry = chain.rbegin(); entry != chain.rend(); ++entry)
        if ((*entry->second)(identity) != kEventNotHandledErr) break;
    return true;
}

}  // namespace platform
