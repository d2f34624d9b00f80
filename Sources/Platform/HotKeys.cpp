// HotKeys.cpp: the registration table and the handler chain shared by every hot-key backend.
#include "Platform/HotKeys.h"

#include <algorithm>
#include <memory>

namespace platform {

HotKeyHandlerRef HotKeys::installHandler(Handler handler) {
    const HotKeyHandlerRef ref = nextRef_++;
    handlers_.emplace_back(ref, std::make_shared<Handler>(std::move(handler)));
    return ref;
}

void HotKeys::removeHandler(HotKeyHandlerRef handler) {
    std::erase_if(handlers_, [&](const auto& entry) { return entry.first == handler; });
}

OSStatus HotKeys::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyID identity, HotKeyRef& ref) {
    ref = 0;
    modifiers &= kHotKeyModifierMask;
    const bool taken = std::any_of(registrations_.begin(), registrations_.end(), [&](const auto& entry) {
        return entry.second.keyCode == keyCode && entry.second.modifiers == modifiers;
    });
    if (taken) return kEventHotKeyExistsErr;
    if (const OSStatus status = grab(keyCode, modifiers); status != kNoErr) return status;
    ref = nextRef_++;
    registrations_[ref] = Registration{keyCode, modifiers, identity};
    return kNoErr;
}

OSStatus HotKeys::unregisterHotKey(HotKeyRef ref) {
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
