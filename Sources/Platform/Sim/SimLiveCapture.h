// SPDX-License-Identifier: MIT
// SimLiveCapture.h: live window capture on the simulated desktop. The capturable windows come
// from the world's stacking order (with their owners, titles, layers and the front application's
// front window as the active one). Each capture is a SimPinCaptureBackend whose start,
// reconfigurations and stop wait for the test to answer them (or are answered on the next turn
// of the main queue when `answersAtOnce`), and whose frames the test emits.
#pragma once

#include "Platform/PinCapture.h"
#include "Platform/Sim/World.h"

#include <memory>
#include <optional>
#include <vector>

namespace platform::sim {

class SimPinCaptureBackend : public PinCaptureBackend {
public:
    SimPinCaptureBackend(std::shared_ptr<World> world, ShareableContentWindow window,
                         std::weak_ptr<PinFrameTarget> target, PinCaptureProfile profile, bool answersAtOnce);
    ~SimPinCaptureBackend() override;

    void start(Completion done) override;
    void applyProfile(const PinCaptureProfile& profile, Completion done) override;
    void disableOutput() override { outputEnabled_ = false; }
    void stop(std::function<void()> done) override;

    // The test's side. Each answer runs the waiting completion at once; false when none waits.
    bool answerStart(std::optional<CaptureError> error = std::nullopt);
    bool answerProfile(std::optional<CaptureError> error = std::nullopt);
    bool answerStop();
    // A frame of the current profile's size in the window's fill colour; false when it was
    // dropped (output off, not capturing, or the target gone).
    bool emitFrame();
    // The capture ends by itself.
    void end(const CaptureError& error);

    const ShareableContentWindow& window() const { return window_; }
    // The profile the capture runs with (the last one applied).
    const PinCaptureProfile& profile() const { return profile_; }
    // Every profile asked for, in order.
    const std::vector<PinCaptureProfile>& requestedProfiles() const { return requested_; }
    bool outputEnabled() const { return outputEnabled_; }
    bool capturing() const { return capturing_; }
    int startCalls() const { return startCalls_; }
    int stopCalls() const { return stopCalls_; }  // stops that did their work (not the repeats)
    bool startPending() const { return static_cast<bool>(pendingStart_); }
    bool profilePending() const { return static_cast<bool>(pendingProfile_); }
    bool stopPending() const { return !pendingStop_.empty(); }

private:
    std::shared_ptr<World> world_;
    ShareableContentWindow window_;
    std::weak_ptr<PinFrameTarget> target_;
    PinCaptureProfile profile_;
    bool answersAtOnce_;
    bool outputEnabled_ = true;
    bool capturing_ = false;
    bool stopStarted_ = false;
    int startCalls_ = 0;
    int stopCalls_ = 0;
    std::vector<PinCaptureProfile> requested_;
    Completion pendingStart_;
    Completion pendingProfile_;
    PinCaptureProfile pendingProfileValue_;
    std::vector<std::function<void()>> pendingStop_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class SimLiveCapture : public LiveCapture {
public:
    explicit SimLiveCapture(std::shared_ptr<World> world) : world_(std::move(world)) {}

    std::optional<std::vector<ShareableContentWindow>> shareableContent(bool excludeDesktopWindows, bool onScreenOnly,
                                                                        std::string* error) override;
    std::shared_ptr<PinCaptureBackend> makeBackend(const ShareableContentWindow& window,
                                                   std::weak_ptr<PinFrameTarget> target,
                                                   const PinCaptureProfile& initialProfile) override;

    // Every backend made, oldest first.
    const std::vector<std::shared_ptr<SimPinCaptureBackend>>& backends() const { return backends_; }
    std::shared_ptr<SimPinCaptureBackend> lastBackend() const { return backends_.empty() ? nullptr : backends_.back(); }
    // Backends answer their own requests on the next turn of the main queue (start and
    // reconfigurations succeed).
    bool answersAtOnce = false;

private:
    std::shared_ptr<World> world_;
    std::vector<std::shared_ptr<SimPinCaptureBackend>> backends_;
};

}  // namespace platform::sim
