// X11HotKeys.cpp: key grabs on the root window for the hot-key service, the event thread that
// forwards presses and mapping changes to the main queue, and the re-grab after a change.
#include "Platform/X11/X11HotKeys.h"

#include "Platform/X11/CarbonKeyTable.h"

#include <xcb/xcb_keysyms.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace platform::x11 {

namespace {

constexpr std::uint8_t kBadAccess = 10;
constexpr char kWake = 'w';
constexpr char kQuit = 'q';

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
    keys->start();
    return keys;
}

X11HotKeys::X11HotKeys(xcb_connection_t* connection, std::shared_ptr<Dispatcher> dispatch, Logger logger)
    : connection_(connection), dispatch_(std::move(dispatch)), logger_(std::move(logger)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    symbols_ = xcb_key_symbols_alloc(connection_);
    readModifierBits();
}

X11HotKeys::~X11HotKeys() {
    if (wakeWrite_ >= 0) {
        [[maybe_unused]] const auto written = ::write(wakeWrite_, &kQuit, 1);
    }
    if (eventThread_.joinable()) eventThread_.join();
    for (const Grab& grab : grabs_) ungrabKeys(grab);
    xcb_flush(connection_);
    if (symbols_) xcb_key_symbols_free(symbols_);
    xcb_disconnect(connection_);
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

void X11HotKeys::start() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        logger_.error("global hot keys unavailable: no wake pipe");
        return;
    }
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    eventThread_ = std::thread([this] { runEvents(); });
}

void X11HotKeys::wakeEventThread() {
    // Requests answered on the main thread may have read events off the socket into xcb's
    // queue; the event thread has to look at the queue again.
    if (wakeWrite_ >= 0) {
        [[maybe_unused]] const auto written = ::write(wakeWrite_, &kWake, 1);
    }
}

void X11HotKeys::runEvents() {
    const std::weak_ptr<X11HotKeys> weak = weak_from_this();
    pollfd fds[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    for (;;) {
        while (xcb_generic_event_t* raw = xcb_poll_for_event(connection_)) {
            Owned<xcb_generic_event_t> event(raw);
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
        if (xcb_connection_has_error(connection_)) {
            logger_.error("global hot keys stopped: the X connection was lost");
            return;
        }
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents & POLLIN) {
            char byte = 0;
            while (::read(wakeRead_, &byte, 1) == 1)
                if (byte == kQuit) return;
        }
    }
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
    wakeEventThread();
}

std::uint16_t X11HotKeys::maskFor(std::uint32_t modifiers) const {
    std::uint16_t mask = 0;
    if (modifiers & kShiftKeyMask) mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & kControlKeyMask) mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & kOptionKeyMask) mask |= bits_.alt;
    if (modifiers & kCommandKeyMask) mask |= bits_.super;
    return mask;
}

std::vector<std::uint16_t> X11HotKeys::lockVariants() const {
    const std::uint16_t caps = XCB_MOD_MASK_LOCK;
    return {0, caps, bits_.numLock, static_cast<std::uint16_t>(caps | bits_.numLock)};
}

OSStatus X11HotKeys::grabKeys(Grab& grab) {
    grab.keycodes.clear();
    grab.mask = maskFor(grab.modifiers);
    const auto symbol = keysymForKeyCode(grab.keyCode);
    if (!symbol) return kEventHotKeyInvalidErr;
    if (Owned<xcb_keycode_t> codes{xcb_key_symbols_get_keycode(symbols_, *symbol)}) {
        for (const xcb_keycode_t* code = codes.get(); *code != XCB_NO_SYMBOL; ++code)
            if (std::find(grab.keycodes.begin(), grab.keycodes.end(), *code) == grab.keycodes.end())
                grab.keycodes.push_back(*code);
    }
    if (grab.keycodes.empty()) {
        wakeEventThread();
        return kEventHotKeyInvalidErr;
    }
    std::vector<xcb_void_cookie_t> cookies;
    for (const xcb_keycode_t keycode : grab.keycodes)
        for (const std::uint16_t lock : lockVariants())
            cookies.push_back(xcb_grab_key_checked(connection_, 1, root_, static_cast<std::uint16_t>(grab.mask | lock),
                                                   keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    OSStatus status = kNoErr;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (Owned<xcb_generic_error_t> error{xcb_request_check(connection_, cookie)}) {
            if (status == kNoErr) status = error->error_code == kBadAccess ? kEventHotKeyExistsErr : kEventHotKeyInvalidErr;
        }
    }
    wakeEventThread();
    // A combination held by another client in any lock state is not ours: release the rest.
    if (status != kNoErr) ungrabKeys(grab);
    return status;
}

void X11HotKeys::ungrabKeys(const Grab& grab) {
    for (const xcb_keycode_t keycode : grab.keycodes)
        for (const std::uint16_t lock : lockVariants())
            xcb_ungrab_key(connection_, keycode, root_, static_cast<std::uint16_t>(grab.mask | lock));
    xcb_flush(connection_);
}

OSStatus X11HotKeys::grab(std::uint32_t keyCode, std::uint32_t modifiers) {
    Grab grab{keyCode, modifiers, {}, 0};
    const OSStatus status = grabKeys(grab);
    if (status == kNoErr) grabs_.push_back(std::move(grab));
    return status;
}

void X11HotKeys::ungrab(std::uint32_t keyCode, std::uint32_t modifiers) {
    const auto it = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& grab) {
        return grab.keyCode == keyCode && grab.modifiers == modifiers;
    });
    if (it == grabs_.end()) return;
    ungrabKeys(*it);
    grabs_.erase(it);
}

void X11HotKeys::keyPressed(xcb_keycode_t keycode, std::uint16_t state) {
    const std::uint16_t relevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | bits_.alt | bits_.super;
    const std::uint16_t mask = state & relevant;
    for (const Grab& grab : grabs_) {
        if (grab.mask == mask && std::find(grab.keycodes.begin(), grab.keycodes.end(), keycode) != grab.keycodes.end()) {
            pressed(grab.keyCode, grab.modifiers);
            return;
        }
    }
}

void X11HotKeys::mappingChanged(const xcb_mapping_notify_event_t& event) {
    if (event.request != XCB_MAPPING_KEYBOARD && event.request != XCB_MAPPING_MODIFIER) return;
    xcb_mapping_notify_event_t copy = event;
    xcb_refresh_keyboard_mapping(symbols_, &copy);
    for (const Grab& grab : grabs_) ungrabKeys(grab);
    readModifierBits();
    for (Grab& grab : grabs_) {
        if (const OSStatus status = grabKeys(grab); status != kNoErr)
            logger_.error("hot key lost after a keyboard mapping change, status " + std::to_string(status),
                          "key code " + std::to_string(grab.keyCode) + " modifiers " + std::to_string(grab.modifiers));
    }
}

}  // namespace platform::x11
