// SPDX-License-Identifier: MIT
// HotKeys.h: global hot keys: a key code with modifier bits registered under a (signature, id)
// identity, and handlers that are offered every press of a registered key. Key codes are
// virtual key codes of an ANSI keyboard; modifier bits are command 0x100, shift 0x200, option
// 0x800, control 0x1000; statuses are fixed numbers. Main thread only.
#pragma once

#include "Platform/KeyNotation.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

using StatusCode = std::int32_t;
inline constexpr StatusCode kNoErr = 0;
// A handler's answer for a press it leaves to the next handler.
inline constexpr StatusCode kEventNotHandledErr = -9874;
// The combination is already taken (by this program, or by another client of the desktop).
inline constexpr StatusCode kEventHotKeyExistsErr = -9878;
// The key code or modifiers cannot be registered (no key on this keyboard carries the code).
inline constexpr StatusCode kEventHotKeyInvalidErr = -9879;

inline constexpr std::uint32_t kCommandKeyMask = 0x100;  // Super on X11
inline constexpr std::uint32_t kShiftKeyMask = 0x200;
inline constexpr std::uint32_t kOptionKeyMask = 0x800;  // Alt on X11
inline constexpr std::uint32_t kControlKeyMask = 0x1000;
inline constexpr std::uint32_t kHotKeyModifierMask = kCommandKeyMask | kShiftKeyMask | kOptionKeyMask | kControlKeyMask;

// The identity a hot key is registered under: a four-character signature and an id.
struct HotKeyID {
    std::uint32_t signature = 0;
    std::uint32_t id = 0;
    friend bool operator==(const HotKeyID&, const HotKeyID&) = default;
};

// Names a registered hot key or an installed handler; 0 names nothing.
using HotKeyRef = std::uint64_t;
using HotKeyHandlerRef = std::uint64_t;

// The service. Registration bookkeeping and the handler chain are shared by every backend; a
// backend only takes and releases key combinations and reports presses of taken ones.
class HotKeys {
public:
    // Answers kNoErr when it took the press, kEventNotHandledErr to pass it on.
    using Handler = std::function<StatusCode(HotKeyID)>;

    virtual ~HotKeys() = default;

    // Installs a handler. Presses are offered to the handlers, the most recently installed
    // first, until one answers anything but kEventNotHandledErr.
    HotKeyHandlerRef installHandler(Handler handler);
    void removeHandler(HotKeyHandlerRef handler);

    // Registers a combination under an identity. kNoErr and a non-zero `ref` on success;
    // kEventHotKeyExistsErr when this program or another client holds the combination;
    // kEventHotKeyInvalidErr when no key carries the code. `ref` is 0 after a failure.
    StatusCode registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyID identity, HotKeyRef& ref);
    // Releases a registered combination; kEventHotKeyInvalidErr for a reference not registered.
    StatusCode unregisterHotKey(HotKeyRef ref);

    struct Registration {
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        HotKeyID identity;
    };
    // Who holds a combination this program could not take, when the backend can tell
    // ("openbox's default key bindings"); none otherwise.
    virtual std::optional<std::string> holderOf(std::uint32_t keyCode, std::uint32_t modifiers);
    // Why the last registration of a combination was invalid, when it was not for want of a
    // key ("the X server did not answer in time"); none otherwise.
    virtual std::optional<std::string> invalidReason(std::uint32_t keyCode, std::uint32_t modifiers);
    // Why a combination could not be registered with `status`, in one sentence naming the key
    // and, where known, who holds it: "Ctrl+Alt+Down is held by openbox's default key bindings".
    std::string refusalText(std::uint32_t keyCode, std::uint32_t modifiers, StatusCode status);

    // Every registered hot key by reference.
    const std::map<HotKeyRef, Registration>& registrations() const { return registrations_; }

protected:
    // Takes the combination for this program: kNoErr, or the status to report.
    virtual StatusCode grab(std::uint32_t keyCode, std::uint32_t modifiers) = 0;
    virtual void ungrab(std::uint32_t keyCode, std::uint32_t modifiers) = 0;

    // A backend saw a taken combination pressed: offers it to the handlers. Returns whether a
    // registration matched.
    bool pressed(std::uint32_t keyCode, std::uint32_t modifiers);

private:
    std::map<HotKeyRef, Registration> registrations_;
    std::vector<std::pair<HotKeyHandlerRef, std::shared_ptr<Handler>>> handlers_;
    std::uint64_t nextRef_ = 1;
};

}  // namespace platform
