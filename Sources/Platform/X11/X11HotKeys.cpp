// SPDX-License-Identifier: MIT
// X11HotKeys.cpp: key grabs on the root window for the hot-key service, the event thread that
// forwards presses and mapping changes to the main queue, and moving the grabs after a change.
// Replies are only polled for (the event thread reads the socket), each until a deadline.
#include "Platform/X11/X11HotKeys.h"

#include "Platform/KeyCodeTable.h"
#include "Platform/X11/StockBindings.h"

#include <xcb/xcbext.h>

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace platform::x11 {

namespace {

constexpr std::uint8_t kBadAccess = 10;
// How often a waiting thread looks for its reply.
constexpr auto kPollInterval = std::chrono::milliseconds(1);

constexpr xcb_keysym_t kAltL = 0xFFE9, kAltR = 0xFFEA, kMetaL = 0xFFE7, kMetaR = 0xFFE8;
constexpr xcb_keysym_t kSuperL = 0xFFEB, kSuperR = 0xFFEC, kNumLock = 0xFF7F;

template <class T>
using Owned = XPtr<T>;

}  // namespace

template <class T>
Reply<T> X11HotKeys::await(unsigned int sequence, Deadline deadline) {
    Reply<T> reply;
    xcb_flush(connection_);
    for (;;) {
        void* raw = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(connection_, sequence, &raw, &error)) {
            // This thread may have read events off the socket with its reply.
            wakeEventThread();
            reply.value.reset(static_cast<T*>(raw));
            reply.error.reset(error);
            reply.status = error ? ReplyStatus::xError : ReplyStatus::answered;
            return reply;
        }
        if (xcb_connection_has_error(connection_)) {
            reply.status = ReplyStatus::lost;
            return reply;
        }
        if (deadline.passed()) {
            xcb_discard_reply(connection_, sequence);
            reply.status = ReplyStatus::timedOut;
            return reply;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

std::shared_ptr<X11HotKeys> X11HotKeys::open(std::shared_ptr<Dispatcher> dispatch, Logger logger, const char* display) {
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        logger.error("global hot keys unavailable: no X server");
        return nullptr;
    }
    std::shared_ptr<X11HotKeys> keys(new X11HotKeys(connection, std::move(dispatch), std::move(logger)));
    keys->eventThread_ = std::thread([raw = keys.get()] { raw->runEvents(); });
    pthread_setname_np(keys->eventThread_.native_handle(), "x11-hotkeys");
    return keys;
}

X11HotKeys::X11HotKeys(xcb_connection_t* connection, std::shared_ptr<Dispatcher> dispatch, Logger logger)
    : connection_(connection), dispatch_(std::move(dispatch)), logger_(std::move(logger)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    readKeyboard();
}

X11HotKeys::~X11HotKeys() {
    // The event thread waits on the socket and on our own descriptor: no round trip to the
    // server is needed to end it, so a server that stopped answering cannot hold this up.
    stopping_ = true;
    wakeEventThread();
    if (eventThread_.joinable()) eventThread_.join();
    for (const Grab& grab : grabs_) ungrabCombos(grab.combos);
    xcb_disconnect(connection_);
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void X11HotKeys::wakeEventThread() {
    if (wakeFd_ < 0) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wakeFd_, &one, sizeof one);
}

void X11HotKeys::runEvents() {
    const std::weak_ptr<X11HotKeys> weak = weak_from_this();
    const int socket = xcb_get_file_descriptor(connection_);
    while (!stopping_) {
        std::array<pollfd, 2> fds{{{socket, POLLIN, 0}, {wakeFd_, POLLIN, 0}}};
        ::poll(fds.data(), fds.size(), -1);
        if (fds[1].revents & POLLIN) {
            std::uint64_t count;
            [[maybe_unused]] const auto n = ::read(wakeFd_, &count, sizeof count);
        }
        if (stopping_) return;
        // Events the main thread read along with a reply wait in xcb's queue; this reads them too.
        while (xcb_generic_event_t* raw = xcb_poll_for_event(connection_)) {
            Owned<xcb_generic_event_t> event(raw);
            forward(*event, weak);
        }
        if (xcb_connection_has_error(connection_)) {
            logger_.error("global hot keys stopped: the X connection was lost");
            return;
        }
    }
}

void X11HotKeys::forward(const xcb_generic_event_t& event, const std::weak_ptr<X11HotKeys>& weak) {
    switch (event.response_type & 0x7F) {
        case XCB_KEY_PRESS: {
            const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(event);
            dispatch_->async([weak, keycode = press.detail, state = press.state] {
                if (auto self = weak.lock()) self->keyPressed(keycode, state);
            });
            break;
        }
        case XCB_MAPPING_NOTIFY: {
            const auto mapping = reinterpret_cast<const xcb_mapping_notify_event_t&>(event);
            dispatch_->async([weak, mapping] {
                if (auto self = weak.lock()) self->mappingChanged(mapping);
            });
            break;
        }
        default:
            break;
    }
}

void X11HotKeys::readKeyboard() {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const auto keyboardCookie = xcb_get_keyboard_mapping(connection_, setup->min_keycode, count);
    const auto modifierCookie = xcb_get_modifier_mapping(connection_);
    const Deadline deadline = Deadline::in(kReplyTimeout);
    auto keyboard = await<xcb_get_keyboard_mapping_reply_t>(keyboardCookie.sequence, deadline);
    auto modifiers = await<xcb_get_modifier_mapping_reply_t>(modifierCookie.sequence, deadline);
    if (keyboard) {
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(keyboard.value.get());
        const int length = xcb_get_keyboard_mapping_keysyms_length(keyboard.value.get());
        keyboard_ = {setup->min_keycode, keyboard->keysyms_per_keycode, {symbols, symbols + length}};
    } else {
        logger_.error("the X server did not give its keyboard mapping in time; hot keys keep the last one");
    }
    if (!modifiers) return;

    ModifierBits bits;
    bool alt = false, super = false, numLock = false;
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(modifiers.value.get());
    const int perModifier = modifiers->keycodes_per_modifier;
    // Modifier indices 3 to 7 are Mod1 to Mod5; Shift, Lock and Control are fixed.
    for (int modifier = 3; modifier < 8; ++modifier) {
        const auto bit = static_cast<std::uint16_t>(1u << modifier);
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
            if (keycode == 0) continue;
            const xcb_keysym_t symbol = keyboard_.keysym(keycode, 0);
            if (!alt && (symbol == kAltL || symbol == kAltR || symbol == kMetaL || symbol == kMetaR)) {
                bits.alt = bit;
                alt = symbol == kAltL || symbol == kAltR;
            } else if (!super && (symbol == kSuperL || symbol == kSuperR)) {
                bits.super = bit;
                super = true;
            } else if (!numLock && symbol == kNumLock) {
                bits.numLock = bit;
                numLock = true;
            }
        }
    }
    bits_ = bits;
}

bool X11HotKeys::resolve(Grab& grab) const {
    grab.keycodes.clear();
    grab.mask = 0;
    if (grab.modifiers & kShiftKeyMask) grab.mask |= XCB_MOD_MASK_SHIFT;
    if (grab.modifiers & kControlKeyMask) grab.mask |= XCB_MOD_MASK_CONTROL;
    if (grab.modifiers & kOptionKeyMask) grab.mask |= bits_.alt;
    if (grab.modifiers & kCommandKeyMask) grab.mask |= bits_.super;
    const auto symbol = keysymForKeyCode(grab.keyCode);
    if (!symbol) return false;
    grab.keycodes = keyboard_.keycodes(*symbol);
    return !grab.keycodes.empty();
}

std::set<X11HotKeys::Combo> X11HotKeys::combosFor(const Grab& grab) const {
    const std::uint16_t caps = XCB_MOD_MASK_LOCK;
    const std::uint16_t locks[] = {0, caps, bits_.numLock, static_cast<std::uint16_t>(caps | bits_.numLock)};
    std::set<Combo> combos;
    for (const xcb_keycode_t keycode : grab.keycodes)
        for (const std::uint16_t lock : locks) combos.insert({keycode, static_cast<std::uint16_t>(grab.mask | lock)});
    return combos;
}

StatusCode X11HotKeys::grabCombos(const std::set<Combo>& combos, std::set<Combo>& taken) {
    std::vector<std::pair<Combo, xcb_void_cookie_t>> requests;
    for (const Combo& combo : combos)
        requests.emplace_back(combo, xcb_grab_key_checked(connection_, 1, root_, combo.state, combo.keycode,
                                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    if (requests.empty()) return kNoErr;
    // Once the server has answered a request sent after the grabs, each grab's error (if any)
    // is there to be picked up without waiting.
    const auto sync = await<xcb_get_input_focus_reply_t>(xcb_get_input_focus(connection_).sequence,
                                                          Deadline::in(kReplyTimeout));
    if (sync.status != ReplyStatus::answered) {
        // No answer in time: none of these grabs can be counted on, and one the server
        // carries out later is released right after it.
        for (const auto& [combo, cookie] : requests) {
            xcb_discard_reply(connection_, cookie.sequence);
            xcb_ungrab_key(connection_, combo.keycode, root_, combo.state);
        }
        xcb_flush(connection_);
        logger_.debug("the X server did not answer a hot-key grab in time");
        grabUnanswered_ = true;
        return kEventHotKeyInvalidErr;
    }
    StatusCode status = kNoErr;
    for (const auto& [combo, cookie] : requests) {
        auto check = await<xcb_generic_reply_t>(cookie.sequence, Deadline::in(0));
        if (check.error) {
            if (status == kNoErr)
                status = check.errorCode() == kBadAccess ? kEventHotKeyExistsErr : kEventHotKeyInvalidErr;
        } else {
            taken.insert(combo);
        }
    }
    return status;
}

void X11HotKeys::ungrabCombos(const std::set<Combo>& combos) {
    for (const Combo& combo : combos) xcb_ungrab_key(connection_, combo.keycode, root_, combo.state);
    xcb_flush(connection_);
}

StatusCode X11HotKeys::grab(std::uint32_t keyCode, std::uint32_t modifiers) {
    Grab grab{keyCode, modifiers, {}, 0, {}};
    unanswered_.reset();
    grabUnanswered_ = false;
    if (!resolve(grab)) {
        reportFailure(grab, kEventHotKeyInvalidErr);
        return kEventHotKeyInvalidErr;
    }
    const StatusCode status = grabCombos(combosFor(grab), grab.combos);
    // A combination held by another client in any lock state is not ours: release the rest.
    if (status != kNoErr) {
        ungrabCombos(grab.combos);
        if (grabUnanswered_) unanswered_ = std::pair{keyCode, modifiers};
        reportFailure(grab, status);
        return status;
    }
    grabs_.push_back(std::move(grab));
    return kNoErr;
}

void X11HotKeys::ungrab(std::uint32_t keyCode, std::uint32_t modifiers) {
    const auto it = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& grab) {
        return grab.keyCode == keyCode && grab.modifiers == modifiers;
    });
    if (it == grabs_.end()) return;
    ungrabCombos(it->combos);
    grabs_.erase(it);
}

void X11HotKeys::keyPressed(xcb_keycode_t keycode, std::uint16_t state) {
    const std::uint16_t relevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | bits_.alt | bits_.super;
    const std::uint16_t mask = state & relevant;
    for (const Grab& grab : grabs_) {
        if (grab.mask == mask &&
            std::find(grab.keycodes.begin(), grab.keycodes.end(), keycode) != grab.keycodes.end()) {
            pressed(grab.keyCode, grab.modifiers);
            return;
        }
    }
}

void X11HotKeys::mappingChanged(const xcb_mapping_notify_event_t& event) {
    if (event.request != XCB_MAPPING_KEYBOARD && event.request != XCB_MAPPING_MODIFIER) return;
    readKeyboard();
    for (Grab& grab : grabs_) {
        resolve(grab);
        const std::set<Combo> wanted = combosFor(grab);
        std::set<Combo> missing, stale;
        std::set_difference(wanted.begin(), wanted.end(), grab.combos.begin(), grab.combos.end(),
                            std::inserter(missing, missing.end()));
        std::set_difference(grab.combos.begin(), grab.combos.end(), wanted.begin(), wanted.end(),
                            std::inserter(stale, stale.end()));
        if (missing.empty() && stale.empty()) continue;
        // New grabs first, so the combination is never without one while it moves.
        std::set<Combo> taken;
        if (const StatusCode status = grabCombos(missing, taken); status != kNoErr)
            logger_.error(hotKeyName(grab.keyCode, grab.modifiers) +
                          " stopped working after a keyboard mapping change" +
                          (status == kEventHotKeyExistsErr ? ": another program holds it now" : ""));
        ungrabCombos(stale);
        for (const Combo& combo : stale) grab.combos.erase(combo);
        grab.combos.insert(taken.begin(), taken.end());
    }
}

void X11HotKeys::reportFailure(const Grab& grab, StatusCode status) {
    // The registering owner writes the one line a user reads; this one is for debugging.
    logger_.debug(hotKeyName(grab.keyCode, grab.modifiers) + ": grab refused, status " + std::to_string(status));
}

std::optional<std::string> X11HotKeys::invalidReason(std::uint32_t keyCode, std::uint32_t modifiers) {
    if (unanswered_ != std::pair{keyCode, modifiers}) return std::nullopt;
    return "the X server did not answer in time";
}

std::optional<std::string> X11HotKeys::holderOf(std::uint32_t keyCode, std::uint32_t modifiers) {
    const auto owner = stockBindingOwner(windowManagerName(), keyCode, modifiers);
    if (!owner) return std::nullopt;
    return *owner + "'s default key bindings";
}

const std::string& X11HotKeys::windowManagerName() {
    if (windowManager_) return *windowManager_;
    windowManager_.emplace();
    const Deadline deadline = Deadline::in(kReplyTimeout);
    const auto intern = [&](std::string_view name) {
        return xcb_intern_atom(connection_, 1, static_cast<std::uint16_t>(name.size()), name.data()).sequence;
    };
    const unsigned int checkCookie = intern("_NET_SUPPORTING_WM_CHECK");
    const unsigned int nameCookie = intern("_NET_WM_NAME");
    const unsigned int utf8Cookie = intern("UTF8_STRING");
    auto check = await<xcb_intern_atom_reply_t>(checkCookie, deadline);
    auto wmName = await<xcb_intern_atom_reply_t>(nameCookie, deadline);
    auto utf8 = await<xcb_intern_atom_reply_t>(utf8Cookie, deadline);
    if (!check || !wmName || !utf8 || check->atom == XCB_ATOM_NONE) return *windowManager_;
    auto window = await<xcb_get_property_reply_t>(
        xcb_get_property(connection_, 0, root_, check->atom, XCB_ATOM_WINDOW, 0, 1).sequence, deadline);
    if (!window || xcb_get_property_value_length(window.value.get()) != 4) return *windowManager_;
    const xcb_window_t manager = *static_cast<const xcb_window_t*>(xcb_get_property_value(window.value.get()));
    auto name = await<xcb_get_property_reply_t>(
        xcb_get_property(connection_, 0, manager, wmName->atom, utf8->atom, 0, 256).sequence, deadline);
    if (name) {
        const auto* text = static_cast<const char*>(xcb_get_property_value(name.value.get()));
        windowManager_->assign(text, static_cast<std::size_t>(xcb_get_property_value_length(name.value.get())));
    }
    return *windowManager_;
}

}  // namespace platform::x11
