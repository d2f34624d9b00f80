// SPDX-License-Identifier: MIT
// SimLiveCapture.cpp: the simulated capturable windows and the test-driven capture backends.
#include "Platform/Sim/SimLiveCapture.h"

#include "Platform/Sim/SimScreenCapture.h"

#include <algorithm>

namespace platform::sim {

SimPinCaptureBackend::SimPinCaptureBackend(std::shared_ptr<World> world, ShareableContentWindow window,
                                           std::weak_ptr<PinFrameTarget> target, PinCaptureProfile profile,
                                           bool answersAtOnce)
    : world_(std::move(world)),
      window_(std::move(window)),
      target_(std::move(target)),
      profile_(profile),
      answersAtOnce_(answersAtOnce) {}

SimPinCaptureBackend::~SimPinCaptureBackend() { *alive_ = false; }

void SimPinCaptureBackend::start(Completion done) {
    ++startCalls_;
    pendingStart_ = std::move(done);
    if (answersAtOnce_)
        world_->clock().async([this, alive = alive_] {
            if (*alive) answerStart();
        });
}

void SimPinCaptureBackend::applyProfile(const PinCaptureProfile& profile, Completion done) {
    requested_.push_back(profile);
    pendingProfile_ = std::move(done);
    pendingProfileValue_ = profile;
    if (answersAtOnce_)
        world_->clock().async([this, alive = alive_] {
            if (*alive) answerProfile();
        });
}

void SimPinCaptureBackend::stop(std::function<void()> done) {
    if (stopStarted_) {
        world_->clock().async(std::move(done));
        return;
    }
    stopStarted_ = true;
    ++stopCalls_;
    outputEnabled_ = false;
    pendingStop_.push_back(std::move(done));
    if (answersAtOnce_)
        world_->clock().async([this, alive = alive_] {
            if (*alive) answerStop();
        });
}

bool SimPinCaptureBackend::answerStart(std::optional<CaptureError> error) {
    if (!pendingStart_) return false;
    auto done = std::move(pendingStart_);
    pendingStart_ = nullptr;
    capturing_ = !error;
    done(std::move(error));
    return true;
}

bool SimPinCaptureBackend::answerProfile(std::optional<CaptureError> error) {
    if (!pendingProfile_) return false;
    auto done = std::move(pendingProfile_);
    pendingProfile_ = nullptr;
    if (!error) profile_ = pendingProfileValue_;
    done(std::move(error));
    return true;
}

bool SimPinCaptureBackend::answerStop() {
    if (pendingStop_.empty()) return false;
    capturing_ = false;
    auto waiting = std::move(pendingStop_);
    pendingStop_.clear();
    for (auto& done : waiting) done();
    return true;
}

bool SimPinCaptureBackend::emitFrame() {
    if (!outputEnabled_ || !capturing_) return false;
    auto target = target_.lock();
    if (!target) return false;
    const int width = std::max(1, profile_.width), height = std::max(1, profile_.height);
    auto pixels = std::make_shared<std::vector<std::uint32_t>>(static_cast<std::size_t>(width) * height,
                                                               SimScreenCapture::fillColour(window_.windowID));
    target->enqueue(CapturedImage{width, height, std::move(pixels)});
    return true;
}

void SimPinCaptureBackend::end(const CaptureError& error) {
    capturing_ = false;
    if (onStop) onStop(error);
}

std::optional<std::vector<ShareableContentWindow>> SimLiveCapture::shareableContent(bool excludeDesktopWindows,
                                                                                    bool onScreenOnly,
                                                                                    std::string* error) {
    if (world_->shareableWindowsError) {
        if (error) *error = *world_->shareableWindowsError;
        return std::nullopt;
    }
    // The active window: the front window of the front application.
    std::optional<std::uint32_t> active;
    if (const auto front = world_->frontmost()) {
        const auto windows = world_->windowsOf(*front, false);
        if (!windows.empty()) active = windows.front();
    }
    std::vector<ShareableContentWindow> list;
    for (std::uint32_t number : world_->stacking()) {
        const Window* window = world_->liveWindow(number);
        if (!window || (excludeDesktopWindows && window->desktopElement)) continue;
        const bool onScreen = world_->onScreen(*window);
        if (onScreenOnly && !onScreen) continue;
        ShareableContentWindow entry;
        entry.windowID = number;
        if (const App* app = world_->app(window->pid)) {
            entry.ownerPid = app->pid;
            entry.applicationName = app->name.value_or("");
        }
        if (!window->title.empty()) entry.title = window->title;
        entry.frame = window->frame;
        entry.layer = window->layer;
        entry.isOnScreen = onScreen;
        entry.isActive = active == number;
        list.push_back(std::move(entry));
    }
    return list;
}

std::shared_ptr<PinCaptureBackend> SimLiveCapture::makeBackend(const ShareableContentWindow& window,
                                                               std::weak_ptr<PinFrameTarget> target,
                                                               const PinCaptureProfile& initialProfile) {
    auto backend =
        std::make_shared<SimPinCaptureBackend>(world_, window, std::move(target), initialProfile, answersAtOnce);
    backends_.push_back(backend);
    return backend;
}

}  // namespace platform::sim
