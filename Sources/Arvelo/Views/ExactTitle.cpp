// ExactTitle.cpp: _NET_WM_NAME written from the window's own title.
#include "Arvelo/Views/ExactTitle.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace arvelo::views {

void keepExactTitle(QWidget& window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* connection = x11->connection();
    const auto intern = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    };
    const xcb_atom_t name = intern("_NET_WM_NAME");
    const xcb_atom_t utf8 = intern("UTF8_STRING");
    if (name == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE) return;
    const QByteArray title = window.windowTitle().toUtf8();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()), name, utf8, 8,
                        static_cast<std::uint32_t>(title.size()), title.constData());
    xcb_flush(connection);
}

}  // namespace arvelo::views
