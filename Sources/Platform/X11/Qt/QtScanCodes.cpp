// SPDX-License-Identifier: MIT
// QtScanCodes.cpp: a key's scan code to its unshifted keysym through Qt's X connection.
#include "Platform/X11/Qt/QtScanCodes.h"

#include <QGuiApplication>

#include <xcb/xcb_keysyms.h>

#include <memory>

namespace platform::x11 {

namespace {

std::optional<std::uint32_t> unshiftedKeysym(std::uint32_t scanCode) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || scanCode < 8 || scanCode > 255) return std::nullopt;
    const std::unique_ptr<xcb_key_symbols_t, void (*)(xcb_key_symbols_t*)> symbols(
        xcb_key_symbols_alloc(x11->connection()), xcb_key_symbols_free);
    if (!symbols) return std::nullopt;
    const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols.get(), static_cast<xcb_keycode_t>(scanCode), 0);
    if (keysym == XCB_NO_SYMBOL) return std::nullopt;
    return keysym;
}

}  // namespace

ScanCodeReader qtScanCodeReader() { return unshiftedKeysym; }

}  // namespace platform::x11
