// KitWindow.cpp: presenting and closing a kit window.
#include "TenvikKit/Views/KitWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <xcb/xcb.h>

#include <cstring>

namespace tenvik {

void KitWindow::present() {
    if (!placed_) {
        placed_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
    show();
    keepExactTitle();
    raise();
    activateWindow();
}

void KitWindow::keepExactTitle() {
    // Qt on X11 appends the program's display name ("… — Vomira") to _NET_WM_NAME; the
    // window's own title is meant to be read as it is.
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
    const QByteArray title = windowTitle().toUtf8();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(winId()), name, utf8, 8,
                        static_cast<std::uint32_t>(title.size()), title.constData());
    xcb_flush(connection);
}

void KitWindow::closeEvent(QCloseEvent* event) {
    // Only hidden: an accepted close would destroy the X window, and the one shown again
    // would be a new window with Qt's own title.
    event->ignore();
    hide();
    if (onClose) onClose();
}

}  // namespace tenvik
