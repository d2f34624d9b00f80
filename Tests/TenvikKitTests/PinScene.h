// SPDX-License-Identifier: MIT
// PinScene.h: a simulated desktop for pin tests: one 1920 × 1080 display, an editor with one
// large window in front, this program's own application, the kit's settings and permissions,
// captures that answer on the next turn of the main queue, and, when asked, a window list
// that cannot follow one window.
#pragma once

#include "KitScene.h"
#include "TenvikKit/Permissions/PermissionsManager.h"
#include "TenvikKit/Pins/MultiPinManager.h"
#include "TenvikKit/Pins/WindowPinManager.h"

#include <memory>
#include <string>

namespace tenvik::test {

inline constexpr const char* kOwnApplicationID = "org.vomira.Arvelo";

// The simulated window list without its news of single windows, as on a backend that cannot
// follow one window.
class UnfollowedWindowList final : public platform::WindowList {
public:
    explicit UnfollowedWindowList(std::shared_ptr<platform::WindowList> inner) : inner_(std::move(inner)) {
        closure_ = inner_->windowDidClose.connect([this](std::uint32_t number) { windowDidClose.notify(number); });
    }
    std::vector<platform::WindowInfo> windows(const platform::WindowListOptions& options) override {
        return inner_->windows(options);
    }
    platform::WindowListRead readWindows(const platform::WindowListOptions& options) override {
        return inner_->readWindows(options);
    }
    platform::WindowLookup lookUp(std::uint32_t number) override { return inner_->lookUp(number); }

private:
    std::shared_ptr<platform::WindowList> inner_;
    platform::Subscription closure_;
};

struct PinScene : KitScene {
    PinScene() {
        desktop.addDisplay("Main", {1920, 1080});
        desktop.setTrusted(true);
        desktop.liveCapture().answersAtOnce = true;
        self = std::make_unique<platform::sim::AppHandle>(desktop.launch(kOwnApplicationID, "arvelo"));
        editor = std::make_unique<platform::sim::AppHandle>(desktop.launch("org.example.Editor", "Editor"));
        notes = std::make_unique<platform::sim::WindowHandle>(editor->openWindow("Notes", {100, 100, 800, 600}));
        editor->activate();
        desktop.drain();
    }

    PinServices pinServices() {
        platform::Services services = desktop.services();
        if (!followWindows) services.windowList = std::make_shared<UnfollowedWindowList>(services.windowList);
        return {services, pinSettings,
                std::make_shared<PermissionsManager>(services.accessibility, services.screenCapture,
                                                     services.workspace, services.dispatch,
                                                     std::string(kOwnApplicationID)),
                previewHost};
    }

    std::shared_ptr<WindowPinManager> makePin() {
        auto pin = WindowPinManager::make(pinServices(), std::string(kOwnApplicationID));
        pin->onStateChange = [this] { ++stateChanges; };
        return pin;
    }

    // Starts a pin and lets its attempt finish.
    std::shared_ptr<WindowPinManager> activePin() {
        auto pin = makePin();
        pin->pinCurrentFrontmostWindow();
        desktop.drain();
        return pin;
    }

    // The capture of the last backend made.
    std::shared_ptr<platform::sim::SimPinCaptureBackend> capture() { return desktop.liveCapture().lastBackend(); }

    // Every capture made has stopped.
    bool noCaptureRunning() {
        for (const auto& backend : desktop.liveCapture().backends())
            if (backend->capturing() || backend->outputEnabled()) return false;
        return true;
    }

    // The view layer's host for the pins' panels; none by default.
    PinPreviewHost previewHost;
    // Whether the pins hear of their window's changes from the window list.
    bool followWindows = true;
    std::shared_ptr<AppSettings> pinSettings = std::make_shared<AppSettings>(desktop.services().defaults, center);
    std::unique_ptr<platform::sim::AppHandle> self;
    std::unique_ptr<platform::sim::AppHandle> editor;
    std::unique_ptr<platform::sim::WindowHandle> notes;
    int stateChanges = 0;
};

}  // namespace tenvik::test
