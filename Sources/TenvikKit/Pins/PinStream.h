// SPDX-License-Identifier: MIT
// PinStream.h: the live capture of one pinned window over its capture backend: started once,
// following the profile the pin asks for (bursts of requests collapse into one reconfiguration
// of the latest profile), reporting an end of the capture or a failed reconfiguration to its
// owner once, and shut down in order (never while a reconfiguration still talks to the
// backend). Stale work is recognised by the stream's generation: every stop, failed or stale
// start and end of the capture during a start raises it. A stream is used once. Main thread.
#pragma once

#include "Platform/Dispatch.h"
#include "Platform/PinCapture.h"
#include "TenvikKit/Pins/PinCaptureProfile.h"
#include "TenvikKit/Pins/PinTask.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace tenvik {

class PinStream : public std::enable_shared_from_this<PinStream> {
public:
    enum class State { idle, starting, running, stopped };
    using StartCompletion = std::function<void(std::optional<platform::CaptureError>)>;

    static std::shared_ptr<PinStream> make(std::shared_ptr<platform::Dispatcher> dispatch,
                                           std::shared_ptr<platform::PinCaptureBackend> backend,
                                           const PinCaptureProfile& initialProfile);
    PinStream(const PinStream&) = delete;
    PinStream& operator=(const PinStream&) = delete;

    // Called at most once, when the capture ends by itself or a reconfiguration fails.
    std::function<void(const platform::CaptureError&)> onFailure;

    // Answers nothing once running, or the error: a cancellation for a second start or a start
    // made stale by stop() or an end of the capture (answered only after the backend stopped),
    // else the backend's own. A second start is answered before start() returns.
    void start(StartCompletion done);
    void requestProfile(const PinCaptureProfile& profile);
    // The shutdown to wait for; null while a start is in flight (that start stops the backend
    // itself). A second stop gives the same shutdown.
    std::shared_ptr<PinTask> stop();

    State state() const { return state_; }
    std::uint64_t generation() const { return generation_; }
    const PinCaptureProfile& desiredProfile() const { return desiredProfile_; }
    const std::optional<PinCaptureProfile>& appliedProfile() const { return appliedProfile_; }
    bool reconfiguring() const { return configurationTask_ != nullptr; }

private:
    PinStream(std::shared_ptr<platform::Dispatcher> dispatch, std::shared_ptr<platform::PinCaptureBackend> backend,
              const PinCaptureProfile& initialProfile);

    void finishStart(std::uint64_t token, std::optional<platform::CaptureError> error, StartCompletion done);
    void runConfigurationUpdates(std::uint64_t token, const std::shared_ptr<PinTask>& task);
    void configurationApplied(std::uint64_t token, const std::shared_ptr<PinTask>& task,
                              const PinCaptureProfile& profile, const std::optional<platform::CaptureError>& error);
    void leaveConfiguration(std::uint64_t token, const std::shared_ptr<PinTask>& task);
    void handleBackendStop(const platform::CaptureError& error);
    std::shared_ptr<PinTask> makeShutdown(std::shared_ptr<PinTask> reconfiguration);
    void deliverFailure(const platform::CaptureError& error);

    std::shared_ptr<platform::Dispatcher> dispatch_;
    std::shared_ptr<platform::PinCaptureBackend> backend_;
    std::uint64_t generation_ = 0;
    bool starting_ = false;
    PinCaptureProfile desiredProfile_;
    std::optional<PinCaptureProfile> appliedProfile_;
    std::shared_ptr<PinTask> configurationTask_;
    std::shared_ptr<PinTask> shutdownTask_;
    bool failureDelivered_ = false;
    State state_ = State::idle;
};

}  // namespace tenvik
