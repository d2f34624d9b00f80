// SPDX-License-Identifier: MIT
// PinStream.cpp: the stream's state machine: start, reconfiguration loop, stop and the
// capture's own end, each guarded by the generation token taken when its work began.
#include "TenvikKit/Pins/PinStream.h"

namespace tenvik {

using platform::CaptureError;

std::shared_ptr<PinStream> PinStream::make(std::shared_ptr<platform::Dispatcher> dispatch,
                                           std::shared_ptr<platform::PinCaptureBackend> backend,
                                           const PinCaptureProfile& initialProfile) {
    std::shared_ptr<PinStream> stream(new PinStream(std::move(dispatch), std::move(backend), initialProfile));
    // The backend reports on the main thread; the stream takes the report up on its own turn,
    // and only while it still exists.
    stream->backend_->onStop = [weak = std::weak_ptr<PinStream>(stream),
                                dispatch = stream->dispatch_](const CaptureError& error) {
        dispatch->async([weak, error] {
            if (auto self = weak.lock()) self->handleBackendStop(error);
        });
    };
    return stream;
}

PinStream::PinStream(std::shared_ptr<platform::Dispatcher> dispatch,
                     std::shared_ptr<platform::PinCaptureBackend> backend, const PinCaptureProfile& initialProfile)
    : dispatch_(std::move(dispatch)),
      backend_(std::move(backend)),
      desiredProfile_(initialProfile),
      appliedProfile_(initialProfile) {}

void PinStream::start(StartCompletion done) {
    if (state_ != State::idle) {
        done(CaptureError::cancelled());
        return;
    }
    starting_ = true;
    state_ = State::starting;
    const std::uint64_t token = generation_;
    backend_->start([weak = weak_from_this(), token, done](std::optional<CaptureError> error) {
        if (auto self = weak.lock())
            self->finishStart(token, std::move(error), done);
        else
            done(error.value_or(CaptureError::cancelled()));
    });
}

void PinStream::finishStart(std::uint64_t token, std::optional<CaptureError> error, StartCompletion done) {
    if (!error && generation_ == token && state_ != State::stopped) {
        state_ = State::running;
        // A profile asked for while starting is applied now.
        requestProfile(desiredProfile_);
        starting_ = false;
        done(std::nullopt);
        return;
    }
    // A failed or stale start leaves no capture running: it stops the backend and answers
    // only once that is done.
    const CaptureError failure = error.value_or(CaptureError::cancelled());
    if (generation_ == token) {
        ++generation_;
        state_ = State::stopped;
    }
    backend_->disableOutput();
    if (!shutdownTask_) shutdownTask_ = makeShutdown(nullptr);
    shutdownTask_->whenFinished([weak = weak_from_this(), failure, done] {
        if (auto self = weak.lock()) self->starting_ = false;
        done(failure);
    });
}

void PinStream::requestProfile(const PinCaptureProfile& profile) {
    desiredProfile_ = profile;
    if (state_ != State::running || configurationTask_) return;
    if (appliedProfile_ && *appliedProfile_ == profile) return;
    auto task = std::make_shared<PinTask>();
    configurationTask_ = task;
    dispatch_->async([weak = weak_from_this(), token = generation_, task] {
        if (auto self = weak.lock())
            self->runConfigurationUpdates(token, task);
        else
            task->finish();
    });
}

void PinStream::runConfigurationUpdates(std::uint64_t token, const std::shared_ptr<PinTask>& task) {
    if ((appliedProfile_ && *appliedProfile_ == desiredProfile_) || generation_ != token || task->isCancelled() ||
        state_ != State::running) {
        leaveConfiguration(token, task);
        return;
    }
    const PinCaptureProfile profile = desiredProfile_;
    backend_->applyProfile(profile, [weak = weak_from_this(), token, task, profile](std::optional<CaptureError> error) {
        if (auto self = weak.lock())
            self->configurationApplied(token, task, profile, error);
        else
            task->finish();
    });
}

void PinStream::configurationApplied(std::uint64_t token, const std::shared_ptr<PinTask>& task,
                                     const PinCaptureProfile& profile, const std::optional<CaptureError>& error) {
    const bool current = generation_ == token && !task->isCancelled() && state_ == State::running;
    if (!error) {
        if (current) {
            appliedProfile_ = profile;
            runConfigurationUpdates(token, task);
            return;
        }
    } else if (current) {
        stop();
        deliverFailure(*error);
    }
    leaveConfiguration(token, task);
}

void PinStream::leaveConfiguration(std::uint64_t token, const std::shared_ptr<PinTask>& task) {
    if (generation_ == token) configurationTask_.reset();
    task->finish();
}

std::shared_ptr<PinTask> PinStream::stop() {
    ++generation_;
    state_ = State::stopped;
    std::shared_ptr<PinTask> reconfiguration = std::move(configurationTask_);
    configurationTask_.reset();
    if (reconfiguration) reconfiguration->cancel();
    backend_->disableOutput();
    if (starting_) return nullptr;
    if (!shutdownTask_) shutdownTask_ = makeShutdown(std::move(reconfiguration));
    return shutdownTask_;
}

std::shared_ptr<PinTask> PinStream::makeShutdown(std::shared_ptr<PinTask> reconfiguration) {
    auto shutdown = std::make_shared<PinTask>();
    // The backend is held until it has stopped, even when the stream goes away first.
    dispatch_->async([backend = backend_, shutdown, reconfiguration] {
        const auto stopBackend = [backend, shutdown] { backend->stop([shutdown] { shutdown->finish(); }); };
        if (reconfiguration)
            reconfiguration->whenFinished(stopBackend);
        else
            stopBackend();
    });
    return shutdown;
}

void PinStream::handleBackendStop(const CaptureError& error) {
    switch (state_) {
        case State::running:
            stop();
            deliverFailure(error);
            break;
        case State::starting:
            // The start in flight fails its token check and shuts the backend down.
            ++generation_;
            state_ = State::stopped;
            backend_->disableOutput();
            deliverFailure(error);
            break;
        case State::idle:
        case State::stopped:
            break;
    }
}

void PinStream::deliverFailure(const CaptureError& error) {
    if (failureDelivered_) return;
    failureDelivered_ = true;
    if (onFailure) onFailure(error);
}

}  // namespace tenvik
