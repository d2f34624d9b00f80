// SPDX-License-Identifier: MIT
// KitWindowsScene.h: the kit's shared objects over a simulated desktop, a window context for
// the kit's windows (with a login item in a temporary folder and a fixed list of installed
// applications), and helpers to press keys and find widgets.
#pragma once

#include "Platform/Sim/Desktop.h"
#include "TenvikKit/Controller/TenvikController.h"
#include "TenvikKit/Views/KitWindowContext.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <unistd.h>

#include <filesystem>

namespace tenvik::test {

struct KitWindowsScene {
    KitWindowsScene() {
        autostart = std::filesystem::temp_directory_path() / ("kit-windows-" + std::to_string(::getpid()));
        std::filesystem::remove_all(autostart);
        desktop.setTrusted(true);
        desktop.setScreenCaptureAccess(true);
        context.shared = KitShared::make(desktop.services(), std::string("org.vomira.Arvelo"), center);
        context.dispatch = desktop.services().dispatch;
        context.launchAtLogin = std::make_shared<LaunchAtLoginManager>(
            platform::LoginItem(autostart / "autostart", "/usr/bin/arvelo"), *context.shared.settings);
        context.installedApplications = [this] { return installed; };
        context.showOnboarding = [this] { ++onboardingRequests; };
    }
    ~KitWindowsScene() {
        std::error_code error;
        std::filesystem::remove_all(autostart, error);
    }

    AppSettings& settings() { return *context.shared.settings; }

    platform::sim::Desktop desktop;
    NotificationCenter center;
    std::filesystem::path autostart;
    std::vector<DesktopEntry> installed = {
        {"debian-xterm", "XTerm", "utilities-terminal", "xterm"},
        {"org.gnome.Nautilus", "Files", "system-file-manager", "org.gnome.Nautilus"},
        {"long.App", std::string(5000, 'L'), "", "long.App"},
    };
    int onboardingRequests = 0;
    KitWindowContext context;
};

// Sends a key press and its release to the widget, as the keyboard would.
inline void press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers);
    QKeyEvent overrideEvent(QEvent::ShortcutOverride, key, modifiers);
    QApplication::sendEvent(widget, &overrideEvent);
    QApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(widget, &up);
}

}  // namespace tenvik::test
