// X11HotKeys.cpp: key grabs on the root window for the hot-key service, the event thread that
// forwards presses and mapping changes to the main queue, and moving the grabs after a change.
#include "Platform/X11/X11HotKeys.h"

#include "Platform/X11/CarbonKeyTable.h"

#include <xcb/xcb_keysyms.h>

#include <pthread.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform::x11 {

namespace {

constexpr std::uint8_t kBadAccess = 10;

constexpr xcb_keysym_t kAltL = 0xFFE9, kAltR = 0xFFEA, kMetaL = 0xFFE7, kMetaR = 0xFFE8;
constexpr xcb_keysym_t kSuperL = 0xFFEB, kSuperR = 0xFFEC, kNumLock = 0xFF7F;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

}  // namespace

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
    wakeWindow_ = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, wakeWindow_, root_, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    symbols_ = xcb_key_symbols_alloc(connection_);
    readModifierBits();
}

X11HotKeys::~X11HotKeys() {
    // The event thread blocks reading events: a message to our own window wakes it.
    stopping_ = true;
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = wakeWindow_;
    message.type = XCB_ATOM_NONE;
    xcb_send_event(connection_, 0, wakeWindow_, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
    if (eventThread_.joinable()) eventThread_.join();
    for (const Grab& grab : grabs_) ungrabCombos(grab.combos);
    xcb_destroy_window(connection_, wakeWindow_);
    xcb_flush(connection_);
    if (symbols_) xcb_key_symbols_free(symbols_);
    xcb_disconnect(connection_);
}

void X11HotKeys::runEvents() {
    const std::weak_ptr<X11HotKeys> weak = weak_from_this();
    while (xcb_generic_event_t* raw = xcb_wait_for_event(connection_)) {
        Owned<xcb_generic_event_t> event(raw);
        if (stopping_) return;
        switch (event->response_type & 0x7F) {
            case XCB_KEY_PRESS: {
                const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(*event);
                dispatch_->async([weak, keycode = press.detail, state = press.state] {
                    if (auto self = weak.lock()) self->keyPressed(keycode, state);
                });
                break;
            }
            case XCB_MAPPING_NOTIFY: {
                const auto mapping = reinterpret_cast<const xcb_mapping_notify_event_t&>(*event);
                dispatch_->async([weak, mapping] {
                    if (auto self = weak.lock()) self->mappingChanged(mapping);
                });
                break;
            }
            default:
                break;
        }
    }
    if (!stopping_) logger_.error("global hot keys stopped: the X connection was lost");
}

void X11HotKeys::readModifierBits() {
    ModifierBits bits;
    bool alt = false, super = false, numLock = false;
    Owned<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr));
    if (reply) {
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(reply.get());
        const int perModifier = reply->keycodes_per_modifier;
        // Modifier indices 3 to 7 are Mod1 to Mod5; Shift, Lock and Control are fixed.
        for (int modifier = 3; modifier < 8; ++modifier) {
            const auto bit = static_cast<std::uint16_t>(1u << modifier);
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
                if (keycode == 0) continue;
                const xcb_keysym_t symbol = xcb_key_symbols_get_keysym(symbols_, keycode, 0);
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
    if (Owned<xcb_keycode_t> codes{xcb_key_symbols_get_keycode(symbols_, *symbol)}) {
        for (const xcb_keycode_t* code = codes.get(); *code != XCB_NO_SYMBOL; ++code)
            if (std::find(grab.keycodes.begin(), grab.keycodes.end(), *code) == grab.keycodes.end())
                grab.keycodes.push_back(*code);
    }
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

OSStatus X11HotKeys::grabCombos(const std::set<Combo>& combos, std::set<Combo>& taken) {
    std::vector<std::pair<Combo, xcb_void_cookie_t>> requests;
    for (const Combo& combo : combos)
        requests.emplace_back(combo, xcb_grab_key_checked(connection_, 1, root_, combo.state, combo.keycode,
                                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    OSStatus status = kNoErr;
    for (const auto& [combo, cookie] : requests) {
        if (Owned<xcb_generic_error_t> error{xcb_request_check(connection_, cookie)}) {
            if (status == kNoErr)
                status = error->error_code == kBadAccess ? kEventHotKeyExistsErr : kEventHotKeyInvalidErr;
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

OSStatus X11HotKeys::grab(std::uint32_t keyCode, std::uint32_t modifiers) {
    Grab grab{keyCode, modifiers, {}, 0, {}};
    if (!resolve(grab)) return kEventHotKeyInvalidErr;
    const OSStatus status = grabCombos(combosFor(grab), grab.combos);
    // A combination held by another client in any lock state is not ours: release the rest.
    if (status != kNoErr) {
        ungrabCombos(grab.combos);
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
    xcb_mapping_notify_event_t copy = event;
    xcb_refresh_keyboard_mapping(symbols_, &copy);
    readModifierBits();
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
        if (const OSStatus status = grabCombos(missing, taken); status != kNoErr)
            logger_.error("hot key lost after a keyboard mapping change, status " + std::to_string(status),
                          "key code " + std::to_string(grab.keyCode) + " modifiers " + std::to_string(grab.modifiers));
        ungrabCombos(stale);
        for (const Combo& combo : stale) grab.combos.erase(combo);
        grab.combos.insert(taken.begin(), taken.end());
    }
}

}  // namespace platform::x11
