// SPDX-License-Identifier: MIT
// SimAccessibility.cpp: Accessibility requests against the simulated world: the application
// and window attributes, writes with each window's behaviour, settable queries, actions,
// hit testing, the window-number call and observers.
#include "Platform/Sim/SimAccessibility.h"

namespace platform::sim {

namespace {

AccessResult value(AccessValue v) { return {AccessError::success, std::move(v)}; }
AccessResult failure(AccessError error) { return {error, {}}; }

class SimObserver : public AccessObserver {
public:
    SimObserver(std::shared_ptr<World> world, std::int32_t pid)
        : world_(std::move(world)), entry_(std::make_shared<World::ObserverEntry>()) {
        entry_->pid = pid;
        // Delivered on the main queue, as the platform's run-loop source would.
        entry_->deliver = [this, weak = std::weak_ptr<World::ObserverEntry>(entry_)](const AccessElement& element,
                                                                                     const std::string& name) {
            world_->clock().async([this, weak, element, name] {
                if (weak.expired() || !onNotification) return;
                onNotification(element, name);
            });
        };
        world_->addObserver(entry_);
    }

    AccessError addNotification(const AccessElement& element, std::string_view notification) override {
        if (element.pid != entry_->pid) return AccessError::illegalArgument;
        if (element.kind != AccessElementKind::application && !world_->liveWindow(element.window))
            return AccessError::invalidUIElement;
        entry_->registrations.emplace_back(element, std::string(notification));
        return AccessError::success;
    }

    AccessError removeNotification(const AccessElement& element, std::string_view notification) override {
        const auto removed = std::erase_if(
            entry_->registrations, [&](const auto& r) { return r.first == element && r.second == notification; });
        return removed ? AccessError::success : AccessError::noValue;
    }

private:
    std::shared_ptr<World> world_;
    std::shared_ptr<World::ObserverEntry> entry_;
};

}  // namespace

bool SimAccessibility::isProcessTrusted() { return world_->trusted; }

bool SimAccessibility::isProcessTrustedWithOptions(bool prompt) {
    if (prompt && !world_->trusted && world_->grantTrustOnPrompt) world_->trusted = true;
    return world_->trusted;
}

void SimAccessibility::record(Request request, const AccessElement& element, std::string_view name, const AccessValue& v,
                              double timeout, AccessError result) {
    world_->calls().add({world_->clock().elapsed(), request, element, std::string(name), v, timeout, result});
}

AccessError SimAccessibility::reachable(const AccessElement& element, double timeout) {
    world_->settle();
    if (!world_->trusted) return AccessError::apiDisabled;
    if (world_->windowServerStalled ||
        (element.kind != AccessElementKind::application && world_->unansweredWindows.contains(element.window)))
        return AccessError::cannotComplete;
    App* app = world_->app(element.pid);
    if (!app || !app->running)
        return element.kind == AccessElementKind::application ? AccessError::cannotComplete : AccessError::invalidUIElement;
    if (app->behaviour.responseTime > timeout) return AccessError::cannotComplete;
    if (element.kind == AccessElementKind::application) return AccessError::success;
    const Window* window = world_->liveWindow(element.window);
    if (!window || window->pid != element.pid) return AccessError::invalidUIElement;
    if (element.kind == AccessElementKind::closeButton && !window->hasCloseButton) return AccessError::invalidUIElement;
    return AccessError::success;
}

std::optional<arvelo::Size> SimAccessibility::fittedSize(const AccessElement& element, arvelo::Size size,
                                                         double timeout) {
    if (element.kind != AccessElementKind::window || reachable(element, timeout) != AccessError::success) return std::nullopt;
    const Window& window = *world_->liveWindow(element.window);
    return window.behaviour.sizeRules ? window.behaviour.sizeRules->fit(size) : size;
}

std::uint64_t SimAccessibility::windowManagerGeneration() { return world_->windowManagerGeneration; }

AccessResult SimAccessibility::copyAttributeValue(const AccessElement& element, std::string_view attribute, double timeout) {
    AccessResult result;
    if (const AccessError error = reachable(element, timeout); error != AccessError::success)
        result = failure(error);
    else
        result = read(element, attribute);
    record(Request::copy, element, attribute, result.value, timeout, result.error);
    return result;
}

AccessResult SimAccessibility::read(const AccessElement& element, std::string_view attribute) {
    switch (element.kind) {
        case AccessElementKind::application:
            return readApplication(*world_->app(element.pid), attribute);
        case AccessElementKind::window:
            return readWindow(*world_->liveWindow(element.window), attribute);
        case AccessElementKind::closeButton:
            if (attribute == ax::kRole) return value(std::string(ax::kButtonRole));
            if (attribute == ax::kSubrole) return value(std::string(ax::kCloseButtonSubrole));
            if (attribute == ax::kParent) return value(AccessElement::windowOf(element.pid, element.window));
            return failure(AccessError::attributeUnsupported);
    }
    return failure(AccessError::attributeUnsupported);
}

AccessResult SimAccessibility::readApplication(App& app, std::string_view attribute) {
    const auto windowElements = [&](bool onlyWindows) {
        std::vector<AccessElement> list;
        for (auto number : world_->windowsOf(app.pid, false)) {
            const Window* w = world_->window(number);
            if (onlyWindows && w->role != ax::kWindowRole) continue;
            list.push_back(AccessElement::windowOf(app.pid, number));
        }
        return list;
    };
    if (attribute == ax::kRole) return value(std::string(ax::kApplicationRole));
    if (attribute == ax::kTitle) return app.name ? value(*app.name) : failure(AccessError::noValue);
    if (attribute == "AXHidden") return value(app.hidden);
    if (attribute == "AXFrontmost") return value(world_->frontmost() == app.pid);
    if (attribute == ax::kWindows) {
        if (app.behaviour.windowsReadError) return failure(*app.behaviour.windowsReadError);
        if (app.behaviour.windowsListEmpty) return value(std::vector<AccessElement>{});
        return value(windowElements(false));
    }
    if (attribute == ax::kChildren) return value(windowElements(false));
    if (attribute == ax::kFocusedWindow || attribute == ax::kMainWindow) {
        for (auto number : world_->windowsOf(app.pid, false))
            if (!world_->window(number)->minimized) return value(AccessElement::windowOf(app.pid, number));
        return failure(AccessError::noValue);
    }
    return failure(AccessError::attributeUnsupported);
}

AccessResult SimAccessibility::readWindow(Window& window, std::string_view attribute) {
    if (attribute == ax::kRole) return value(window.role);
    if (attribute == ax::kSubrole) return window.subrole ? value(*window.subrole) : failure(AccessError::noValue);
    if (attribute == ax::kTitle) return value(window.title);
    if (attribute == ax::kMinimized) return value(window.minimized);
    if (attribute == ax::kFullScreen) return value(window.fullScreen);
    if (attribute == ax::kMaximized) return value(static_cast<double>(window.maximizedAxes));
    if (attribute == ax::kPosition) return value(window.frame.origin());
    if (attribute == ax::kSize) return value(window.frame.size());
    if (attribute == ax::kMain || attribute == ax::kFocused) {
        for (auto number : world_->windowsOf(window.pid, false))
            if (!world_->window(number)->minimized) return value(number == window.number);
        return value(false);
    }
    if (attribute == ax::kParent) {
        if (window.parent && world_->liveWindow(*window.parent))
            return value(AccessElement::windowOf(window.pid, *window.parent));
        return value(AccessElement::application(window.pid));
    }
    if (attribute == ax::kChildren) {
        std::vector<AccessElement> children;
        for (auto number : world_->windowsOf(window.pid, true))
            if (world_->window(number)->parent == window.number)
                children.push_back(AccessElement::windowOf(window.pid, number));
        if (window.hasCloseButton) children.push_back(AccessElement::closeButtonOf(window.pid, window.number));
        return value(std::move(children));
    }
    if (attribute == ax::kCloseButton) {
        if (!window.hasCloseButton) return failure(AccessError::noValue);
        return value(AccessElement::closeButtonOf(window.pid, window.number));
    }
    return failure(AccessError::attributeUnsupported);
}

AccessError SimAccessibility::setAttributeValue(const AccessElement& element, std::string_view attribute, const AccessValue& v,
                                            double timeout) {
    AccessError error = reachable(element, timeout);
    if (error == AccessError::success) error = write(element, attribute, v);
    record(Request::set, element, attribute, v, timeout, error);
    return error;
}

AccessError SimAccessibility::write(const AccessElement& element, std::string_view attribute, const AccessValue& v) {
    if (element.kind != AccessElementKind::window) return AccessError::attributeUnsupported;
    Window& window = *world_->liveWindow(element.window);
    if (attribute == ax::kPosition) {
        const auto point = v.point();
        if (!point) return AccessError::illegalArgument;
        return world_->writePosition(window, *point);
    }
    if (attribute == ax::kSize) {
        const auto size = v.size();
        if (!size) return AccessError::illegalArgument;
        return world_->writeSize(window, *size);
    }
    const auto flag = v.boolean();
    if (attribute == ax::kMinimized) {
        if (!flag) return AccessError::illegalArgument;
        world_->setMinimized(window.number, *flag);
        return AccessError::success;
    }
    if (attribute == ax::kMain || attribute == ax::kFocused) {
        if (!flag) return AccessError::illegalArgument;
        // Focusing a window brings its application forward, as the window manager does.
        if (*flag) {
            world_->raise(window.number);
            world_->activate(window.pid);
        }
        return AccessError::success;
    }
    if (attribute == ax::kFullScreen) {
        if (!flag) return AccessError::illegalArgument;
        window.fullScreen = *flag;
        return AccessError::success;
    }
    return settable(element, attribute).error == AccessError::attributeUnsupported ? AccessError::attributeUnsupported
                                                                               : AccessError::illegalArgument;
}

AccessSettable SimAccessibility::isAttributeSettable(const AccessElement& element, std::string_view attribute, double timeout) {
    AccessSettable result{reachable(element, timeout), false};
    if (result.error == AccessError::success) result = settable(element, attribute);
    record(Request::settable, element, attribute, AccessValue(result.settable), timeout, result.error);
    return result;
}

AccessSettable SimAccessibility::settable(const AccessElement& element, std::string_view attribute) {
    if (element.kind != AccessElementKind::window) {
        if (attribute == ax::kRole || attribute == ax::kTitle || attribute == ax::kWindows ||
            attribute == ax::kChildren || attribute == ax::kFocusedWindow || attribute == ax::kMainWindow)
            return {AccessError::success, false};
        return {AccessError::attributeUnsupported, false};
    }
    const Window& window = *world_->liveWindow(element.window);
    if (attribute == ax::kPosition) return {AccessError::success, window.positionSettable};
    if (attribute == ax::kSize) return {AccessError::success, window.sizeSettable};
    if (attribute == ax::kMinimized || attribute == ax::kMain || attribute == ax::kFocused ||
        attribute == ax::kFullScreen)
        return {AccessError::success, true};
    if (attribute == ax::kRole || attribute == ax::kSubrole || attribute == ax::kTitle || attribute == ax::kParent ||
        attribute == ax::kChildren || attribute == ax::kCloseButton || attribute == ax::kMaximized)
        return {AccessError::success, false};
    return {AccessError::attributeUnsupported, false};
}

AccessError SimAccessibility::performAction(const AccessElement& element, std::string_view action, double timeout) {
    AccessError error = reachable(element, timeout);
    if (error == AccessError::success) error = perform(element, action);
    record(Request::action, element, action, {}, timeout, error);
    return error;
}

AccessError SimAccessibility::perform(const AccessElement& element, std::string_view action) {
    if (element.kind == AccessElementKind::window && action == ax::kRaiseAction) {
        world_->raise(element.window);
        return AccessError::success;
    }
    if (element.kind == AccessElementKind::closeButton && action == ax::kPressAction) {
        if (!world_->liveWindow(element.window)->behaviour.refusesClose) world_->vanish(element.window);
        return AccessError::success;
    }
    return AccessError::actionUnsupported;
}

AccessResult SimAccessibility::elementAtPosition(const AccessElement& application, arvelo::Point point, double timeout) {
    AccessResult result;
    if (const AccessError error = reachable(application, timeout); error != AccessError::success) {
        result = failure(error);
    } else {
        result = failure(AccessError::noValue);
        for (auto number : world_->windowsOf(application.pid, true)) {
            const Window* window = world_->window(number);
            if (world_->onScreen(*window) && window->frame.contains(point)) {
                result = value(AccessElement::windowOf(application.pid, number));
                break;
            }
        }
    }
    record(Request::elementAtPosition, application, "", result.value, timeout, result.error);
    return result;
}

bool SimAccessibility::windowNumberCallAvailable() { return world_->windowNumberCallAvailable; }

std::uint32_t SimAccessibility::windowNumber(const AccessElement& element) {
    if (!world_->windowNumberCallAvailable || element.kind != AccessElementKind::window) return 0;
    return world_->liveWindow(element.window) ? element.window : 0;
}

namespace {
// Folds values into one stamp (FNV-1a over their hashes).
class StampMixer {
public:
    template <class T>
    StampMixer& operator<<(const T& value) {
        state_ = (state_ ^ std::hash<T>{}(value)) * 1099511628211ull;
        return *this;
    }
    StampMixer& operator<<(const arvelo::Rect& rect) { return *this << rect.x << rect.y << rect.width << rect.height; }
    std::uint64_t value() const { return state_; }

private:
    std::uint64_t state_ = 14695981039346656037ull;
};
}  // namespace

std::optional<std::uint64_t> SimAccessibility::changeStamp(const AccessElement& element) {
    world_->settle();
    const App* app = world_->app(element.pid);
    if (!app) return std::nullopt;
    StampMixer mix;
    mix << world_->trusted << app->running << app->behaviour.responseTime << app->behaviour.windowsListEmpty
        << (app->behaviour.windowsReadError ? rawValue(*app->behaviour.windowsReadError) : 0);
    if (element.kind == AccessElementKind::application) {
        for (auto number : world_->windowsOf(element.pid, false)) mix << number << world_->window(number)->role;
        return mix.value();
    }
    const Window* window = world_->liveWindow(element.window);
    if (!window) return std::nullopt;
    mix << window->number << window->pid << window->title << window->frame << window->role
        << window->subrole.value_or("") << window->minimized << window->fullScreen << window->maximizedAxes
        << window->positionSettable << window->sizeSettable << window->hasCloseButton << window->parent.value_or(0);
    // Moving to another Space unmaps a window on a real desktop; it counts as a change here too.
    for (const SpaceID space : world_->spacesOf(*window)) mix << space;
    for (auto number : world_->windowsOf(element.pid, true)) {
        const Window* child = world_->window(number);
        if (child->parent != window->number) continue;
        mix << child->number << child->role << child->subrole.value_or("") << child->frame << child->minimized;
    }
    return mix.value();
}

AccessObserverResult SimAccessibility::createObserver(std::int32_t pid) {
    if (!world_->trusted) return {AccessError::apiDisabled, nullptr};
    const App* app = world_->app(pid);
    if (!app || !app->running) return {AccessError::invalidUIElement, nullptr};
    return {AccessError::success, std::make_unique<SimObserver>(world_, pid)};
}

}  // namespace platform::sim
