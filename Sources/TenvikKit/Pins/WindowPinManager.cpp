// SPDX-License-Identifier: MIT
// WindowPinManager.cpp: the pin's start attempt and its asynchronous steps, failures and their
// texts, the teardown, and the pin's life as a whole. Tracking of an active pin (refresh,
// visibility, profile) is in WindowPinTracking.cpp.
#include "TenvikKit/Pins/WindowPinManager.h"

#include "TenvikKit/Log/LogChannel.h"
#include "TenvikKit/Permissions/PermissionsManager.h"
#include "TenvikKit/Settings/AppSettings.h"

#include <utility>

namespace tenvik {

namespace {

// The shareable-content list could not be read: the capture's own sentence, under this domain.
constexpr const char* kShareableContentDomain = "LiveCapture";
constexpr int kShareableContentCode = 1;
// A platform's sentence that says nothing about what went wrong.
constexpr const char* kEmptyErrorSentence = "The operation couldn\u2019t be completed.";

std::string trimmed(const std::string& text) {
    const char* space = " \t\n\r\f\v";
    const auto first = text.find_first_not_of(space);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

}  // namespace

std::shared_ptr<WindowPinManager> WindowPinManager::make(PinServices services,
                                                         std::optional<std::string> ignoredApplicationID) {
    std::shared_ptr<WindowPinManager> pin(new WindowPinManager(std::move(services), std::move(ignoredApplicationID)));
    pin->connectPanel();
    pin->observeWorkspaceNotifications();
    return pin;
}

WindowPinManager::WindowPinManager(PinServices services, std::optional<std::string> ignoredApplicationID)
    : services_(std::move(services)),
      ignoredApplicationID_(std::move(ignoredApplicationID)),
      resolver_(services_.platform.liveCapture, services_.platform.windowList),
      raiser_(services_.platform.accessibility, services_.platform.workspace),
      panelController_(services_.platform, services_.previewHost) {}

WindowPinManager::~WindowPinManager() {
    // Nothing may call back into a pin that is going away.
    onStateChange = nullptr;
    onInteractionChange = nullptr;
    stop();
}

std::string WindowPinManager::statusText() const {
    switch (state_.kind) {
        case PinState::Kind::active:
        case PinState::Kind::failed:
            return state_.text;
        case PinState::Kind::idle:
            return "None";
        case PinState::Kind::starting:
            return kStartingText;
    }
    return "None";
}

PinState WindowPinManager::pinState() const {
    PinState state = state_;
    state.text = statusText();
    if (pinnedWindow_) state.windowID = pinnedWindow_->windowID;
    return state;
}

// MARK: - Starting

void WindowPinManager::pinCurrentFrontmostWindow() {
    const auto keep = shared_from_this();
    const std::optional<platform::RunningApplication> application = chooseApplication();
    tearDownPinResources();

    bool screenRecording = false;
    if (services_.permissions) {
        services_.permissions->refresh();
        screenRecording = services_.permissions->screenRecordingGranted.get();
    } else if (services_.platform.screenCapture) {
        screenRecording = services_.platform.screenCapture->preflightAccess();
    }
    if (!screenRecording) {
        setState(PinState::Kind::failed, kNoPermissionMessage);
        notifyStateChange();
        return;
    }
    const bool hasAccessibilityAccess = services_.platform.accessibility->isProcessTrusted();
    if (!application) {
        setState(PinState::Kind::failed, kNoWindowMessage);
        notifyStateChange();
        return;
    }
    setState(PinState::Kind::starting, "");
    notifyStateChange();
    if (state_.kind != PinState::Kind::starting) return;  // the owner let the pin go meanwhile

    const std::uint64_t token = requestGate_.token();
    auto task = std::make_shared<PinTask>();
    pinTask_ = task;
    // The attempt runs on its own turn of the main queue, like any asynchronous step.
    services_.platform.dispatch->async(
        [weak = weak_from_this(), application = *application, hasAccessibilityAccess, token, task] {
            if (auto self = weak.lock()) self->startPinning(application, hasAccessibilityAccess, token, task);
        });
}

std::optional<platform::RunningApplication> WindowPinManager::chooseApplication() const {
    platform::Workspace& workspace = *services_.platform.workspace;
    if (auto front = workspace.frontmostApplication(); front && !isSelfApplication(*front)) return front;
    if (lastExternalApplication && !isSelfApplication(*lastExternalApplication)) {
        // Only while it still runs.
        if (auto running = workspace.application(lastExternalApplication->pid)) return running;
    }
    return std::nullopt;
}

bool WindowPinManager::isSelfApplication(const platform::RunningApplication& application) const {
    if (application.pid == services_.platform.workspace->ownPid()) return true;
    if (!ignoredApplicationID_) return false;
    return application.applicationID && *application.applicationID == *ignoredApplicationID_;
}

void WindowPinManager::startPinning(const platform::RunningApplication& application, bool hasAccessibilityAccess,
                                    std::uint64_t token, const std::shared_ptr<PinTask>& task) {
    if (task->isCancelled() || !requestGate_.isCurrent(token)) return;
    const auto keep = shared_from_this();

    const WindowResolver::Result result =
        resolver_.resolve({application.pid, application.localizedName});
    if (std::holds_alternative<PreviewError>(result)) {
        fail(kNotShareableMessage);
        return;
    }
    if (const auto* contentError = std::get_if<WindowResolver::ContentError>(&result)) {
        fail(failureMessage({kShareableContentDomain, kShareableContentCode, contentError->message}));
        return;
    }
    const auto& resolved = std::get<WindowResolver::Resolved>(result);
    const PinnedWindow window = resolved.window;

    const AppSettings& settings = *services_.settings;
    panelController_.prepare(window, settings.pinOpacity(), settings.pinShowsBorder());
    const PinCaptureProfile profile = currentProfile(window);
    auto backend = services_.platform.liveCapture->makeBackend(resolved.shareable, panelController_.displayLayer(),
                                                                profile);
    auto stream = PinStream::make(services_.platform.dispatch, std::move(backend), profile);
    stream->onFailure = [weak = weak_from_this(), token](const platform::CaptureError& error) {
        if (auto self = weak.lock()) self->streamFailed(token, error);
    };
    stream->start([weak = weak_from_this(), stream, window, hasAccessibilityAccess, token,
                   task](std::optional<platform::CaptureError> error) {
        if (auto self = weak.lock())
            self->finishStart(stream, window, hasAccessibilityAccess, token, task, error);
        else
            stream->stop();
    });
}

void WindowPinManager::finishStart(const std::shared_ptr<PinStream>& stream, const PinnedWindow& window,
                                   bool hasAccessibilityAccess, std::uint64_t token,
                                   const std::shared_ptr<PinTask>& task,
                                   const std::optional<platform::CaptureError>& error) {
    const auto keep = shared_from_this();
    if (error) {
        // A cancelled start changes nothing; any other failure of the current attempt fails
        // the pin. Either way the attempt's stream goes.
        if (!error->isCancelled() && !task->isCancelled() && requestGate_.isCurrent(token))
            fail(failureMessage(*error));
        stream->stop();
        return;
    }
    if (task->isCancelled() || !requestGate_.isCurrent(token)) {
        stream->stop();
        return;
    }
    pinTask_.reset();
    pinStream_ = stream;
    pinnedWindow_ = window;
    followWindow(window.windowID);
    syncAXObserver(window);
    setState(PinState::Kind::active, description(window, hasAccessibilityAccess));
    Log::pin().info("pin active windowID=" + std::to_string(window.windowID));
    notifyStateChange();
    refreshPinnedWindow();
    startRefreshTimer();
}

void WindowPinManager::streamFailed(std::uint64_t token, const platform::CaptureError& error) {
    if (!requestGate_.isCurrent(token) || state_.kind == PinState::Kind::idle) return;
    const auto keep = shared_from_this();
    fail(failureMessage(error));
}

std::string WindowPinManager::failureMessage(const platform::CaptureError& error) {
    const std::string text = trimmed(error.message);
    if (!text.empty() && text != kEmptyErrorSentence) return "Preview stream failed: " + text;
    return "Preview stream failed (" + error.domain + " " + std::to_string(error.code) + ")";
}

// MARK: - Teardown and states

void WindowPinManager::tearDownPinResources() {
    requestGate_.invalidate();
    if (auto task = std::exchange(pinTask_, nullptr)) task->cancel();
    if (auto observer = std::exchange(axObserver_, nullptr)) observer->stop();
    auto stream = std::exchange(pinStream_, nullptr);
    pinnedWindow_.reset();
    if (stream) stream->stop();
    refreshTimer_.invalidate();
    refreshTimer_ = {};
    refreshInterval_ = kRefreshInterval;
    windowWatch_.reset();
    windowClosure_.reset();
    unansweredSince_.reset();
    unansweredReported_ = false;
    panelController_.stop();
}

void WindowPinManager::fail(const std::string& message) {
    tearDownPinResources();
    setState(PinState::Kind::failed, message);
    Log::pin().info("pin failed: " + message);
    notifyStateChange();
}

void WindowPinManager::setState(PinState::Kind kind, std::string text) {
    state_.kind = kind;
    state_.text = std::move(text);
}

void WindowPinManager::notifyStateChange() {
    // The owner may let this pin go from inside its callback: the caller holds it meanwhile.
    if (auto callback = onStateChange) callback();
}

void WindowPinManager::stop() {
    tearDownPinResources();
    workspaceObservers_.clear();
    notificationObservers_.clear();
}

void WindowPinManager::unpin() {
    const auto keep = weak_from_this().lock();
    tearDownPinResources();
    setState(PinState::Kind::idle, "");
    notifyStateChange();
}

std::string WindowPinManager::description(const PinnedWindow& window, bool hasAccessibilityAccess) const {
    std::string text = window.ownerName;
    if (!window.title.empty()) text += " - " + window.title;
    if (!hasAccessibilityAccess) text += kNoAccessibilitySuffix;
    if (!panelController_.isVisible()) text += kHiddenSuffix;
    if (unansweredReported_) text += kUnansweredSuffix;
    return text;
}

// MARK: - Panel

void WindowPinManager::connectPanel() {
    const std::weak_ptr<WindowPinManager> weak = weak_from_this();
    panelController_.onInteractionRequest = [weak] {
        auto self = weak.lock();
        return self && self->interactionRequested();
    };
    panelController_.onInteractionEnded = [weak] {
        auto self = weak.lock();
        if (self && self->onInteractionChange) self->onInteractionChange(std::nullopt);
    };
    panelController_.onInteractionChanged = [weak] {
        if (auto self = weak.lock()) self->requestConfigurationUpdate();
    };
}

bool WindowPinManager::interactionRequested() {
    if (!pinnedWindow_) return false;
    const PinnedWindow window = *pinnedWindow_;
    // The focus lock lets the pinned application through before it is activated.
    if (onInteractionChange) onInteractionChange(window.ownerPID);
    if (raiser_.raise(window)) return true;
    if (onInteractionChange) onInteractionChange(std::nullopt);
    return false;
}

}  // namespace tenvik
