// SPDX-License-Identifier: MIT
// ApplicationIcons.h: the one source of a window's icon for every view (tab bars, miniature
// tiles, the window map, the dashboard's list, the canvas's cards): the window's own icon
// (on X11 its _NET_WM_ICON, at the size the view draws), else the icon its application's
// desktop entry names ("Icon=", a theme name or a file), else the theme icon named after the
// application, else one generic window icon drawn here. The shell tells it how to read a
// window's own icon and a desktop entry's icon for an application identity.
#pragma once

// The logic's headers first: Qt's keyword macros would clash with them.
#include "Arvelo/Windows/WindowRecord.h"

#include <QIcon>
#include <QImage>

#include <cstdint>

#include <functional>
#include <string>

namespace arvelo::views {

class ApplicationIcons {
public:
    // The "Icon=" of the desktop entry of an application identity, "" when none is known.
    static void setEntryIconLookup(std::function<std::string(const std::string& identity)> lookup);
    // The window's own icon for a view `side` pixels square; a null image when it has none.
    static void setWindowIconLookup(std::function<QImage(std::uint32_t window, int side)> lookup);
    // The window's own icon changed: it is read again when next drawn.
    static void forgetWindow(std::uint32_t window);

    static QIcon icon(const WindowRecord& record, int side = 32);
    // A window (its number, 0 for none), its application's identity and the icon it names.
    static QIcon icon(std::uint32_t window, const std::string& identity, const WindowIcon& fallback, int side);
    // The icon of a card or row without a known application.
    static QIcon genericWindowIcon();
};

}  // namespace arvelo::views
