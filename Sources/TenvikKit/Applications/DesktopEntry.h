// SPDX-License-Identifier: MIT
// DesktopEntry.h: one installed application as an XDG desktop entry describes it (the
// "[Desktop Entry]" group of a .desktop file): its name, its icon (a theme name or a path),
// and the identifier its running windows report, so the focus lock can be told about it.
// Parsing is pure and tolerant: a file that is not an application entry, hides itself, or has
// no name gives no entry, never an error.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tenvik {

struct DesktopEntry {
    std::string desktopID;   // "org.gnome.Nautilus", "xterm" (file id without ".desktop")
    std::string name;        // "Name=", unescaped and trimmed
    std::string icon;        // "Icon=", "" when none
    std::string identifier;  // normalised; see identifierFor()
    std::string executable;  // the program "Exec=" starts, without folder ("xterm"); "" when none
    friend bool operator==(const DesktopEntry&, const DesktopEntry&) = default;
};

struct DesktopEntryParse {
    enum class Outcome { entry, hidden, notAnApplication, malformed };
    Outcome outcome = Outcome::malformed;
    std::optional<DesktopEntry> entry;  // only for Outcome::entry
};

struct DesktopEntries {
    // Files longer than this are read only this far.
    static constexpr std::size_t kMaximumFileSize = 256 * 1024;

    // The desktop ID of a file below an applications folder: its relative path with "/"
    // turned into "-" and ".desktop" removed ("kde/konsole.desktop" gives "kde-konsole").
    static std::string desktopID(std::string_view relativePath);

    // The identifier the platform reports for the program's windows, normalised as the focus
    // lock's list is: "StartupWMClass=" when the entry names one; else a reverse-DNS desktop ID
    // (a GTK or KDE application's ID is its desktop ID); else the program's name, which is its
    // windows' WM_CLASS in another letter case ("debian-xterm.desktop" starts "xterm", class
    // "XTerm"); else the desktop ID. Absent when none gives a usable identifier.
    static std::optional<std::string> identifierFor(std::string_view desktopID, std::string_view startupWMClass,
                                                    std::string_view executable = {});
    // The program of an "Exec=" line: its first word after "env" and variable settings,
    // without quotes and folder.
    static std::string executableOf(std::string_view exec);

    static DesktopEntryParse parse(std::string_view desktopID, std::string_view text);
};

}  // namespace tenvik
