// X11HotKeys.h: global hot keys on an X server: each registered combination becomes passive key
// grabs on the root window, one per key that carries the symbol and per lock-key state
// (Caps Lock and Num Lock on or off), on a connection of its own whose event thread hands
// presses to the main queue. Keyboard mapping changes re-grab every combination.
#pragma once

#include "Platform/Dispatch.h"
#include "Platform/HotKeys.h"
#include "Platform/Log.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

struct _XCBKeySymbols;

namespace platform::x11 {

class X11HotKeys : public HotKeys, public std::enable_shared_from_this<X11HotKeys> {
public:
    // Connects to `display` (nullptr: $DISPLAY); null when no X server answers.
    static std::shared_ptr<X11HotKeys> open(std::shared_ptr<Dispatcher> dispatch, Logger logger,
                                            const char* display = nullptr);
    ~X11HotKeys() override;
    X11HotKeys(const X11HotKeys&) = delete;
    X11HotKeys& operator=(const X11HotKeys&) = delete;

protected:
    OSStatus grab(std::uint32_t keyCode, std::uint32_t modifiers) override;
    void ungrab(std::uint32_t keyCode, std::uint32_t modifiers) override;

private:
    // One registered combination as the X server knows it.
    struct Grab {
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        std::vector<xcb_keycode_t> keycodes;
        std::uint16_t mask = 0;
    };
    // The modifier bits that Alt, Super and Num Lock sit on in the current modifier mapping.
    struct ModifierBits {
        std::uint16_t alt = XCB_MOD_MASK_1;
        std::uint16_t super = XCB_MOD_MASK_4;
        std::uint16_t numLock = XCB_MOD_MASK_2;
    };

    X11HotKeys(xcb_connection_t* connection, std::shared_ptr<Dispatcher> dispatch, Logger logger);
    void start();
    void runEvents();
    void wakeEventThread();

    // Main thread.
    void keyPressed(xcb_keycode_t keycode, std::uint16_t state);
    void mappingChanged(const xcb_mapping_notify_event_t& event);
    void readModifierBits();
    std::uint16_t maskFor(std::uint32_t modifiers) const;
    std::vector<std::uint16_t> lockVariants() const;
    OSStatus grabKeys(Grab& grab);
    void ungrabKeys(const Grab& grab);

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    std::shared_ptr<Dispatcher> dispatch_;
    Logger logger_;
    _XCBKeySymbols* symbols_ = nullptr;
    ModifierBits bits_;
    std::vector<Grab> grabs_;

    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::thread eventThread_;
};

}  // namespace platform::x11
