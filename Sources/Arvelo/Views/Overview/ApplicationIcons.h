// ApplicationIcons.h: the icon shown for a window in the dashboard's list and on the canvas's
// cards: the icon its application's desktop entry names ("Icon=", a theme name or a file),
// else the theme icon named after the application, else a generic window icon drawn here.
// The shell tells it how to find a desktop entry's icon for an application identity.
#pragma once

// The logic's headers first: Qt's keyword macros would clash with them.
#include "Arvelo/Windows/WindowRecord.h"

#include <QIcon>

#include <functional>
#include <string>

namespace arvelo::views {

class ApplicationIcons {
public:
    // The "Icon=" of the desktop entry of an application identity, "" when none is known.
    static void setEntryIconLookup(std::function<std::string(const std::string& identity)> lookup);

    static QIcon icon(const WindowRecord& record);
    // The icon of a card or row without a known application.
    static QIcon genericWindowIcon();
};

}  // namespace arvelo::views
