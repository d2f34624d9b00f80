// SimAccessibility.cpp: Accessibility requests against the simulated world: the application
// and window attributes, writes with each window's behaviour, settable queries, actions,
// hit testing, the window-number call and observers.
#include "Platform/Sim/SimAccessibility.h"

namespace platform::sim {

namespace {

AXResult value(AXValue v) { return {AXError::success, std::move(v)}; }
AXResult failure(AXError error) { return {error, {}}; }

class SimObserver : public AXObserver {
public:
    SimObserver(std::shared_ptr<World> world, std::int32_t pid)
        : world_(std::move(world)), entry_(std::make_shared<World::ObserverEntry>()) {
        entry_->pid = pid;
        // Delivered on the main queue, as the platform's run-loop source would.
        entry_->deliver = [this, weak = std::weak_ptr<World::ObserverEntry>(entry_)](const AXElement& element,
                                                                                     const std::string& name) {
            world_->clock().async([this, weak, element, name] {
                if (weak.expired() || !onNotification) return;
                onNotification(element, name);
            });
        };
        world_->addObserver(entry_);
    }

    AXError addNotification(const AXElement& element, std::string_view notification) override {
        if (element.pid != entry_->pid) return AXError::illegalArgument;
        if (element.kind != AXElementKind::application && !world_->liveWindow(element.window))
            return AXError::invalidUIElement;
        entry_->registrations.emplace_back(element, std::string(notification));
        return AXError::success;
    }

    AXError removeNotification(const AXElement& element, std::string_view notification) override {
        const auto removed = std::erase_if(
            entry_->registrations, [&](const auto& r) { return r.first == element && r.second == notification; });
        return removed ? AXError::success : AXError::noValue;
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

void SimAccessibility::record(Request request, const AXElement& element, std::string_view name, const AXValue& v,
                              double timeout, AXError result) {
    world_->calls().add({world_->clock().elapsed(), request, element, std::string(name), v, timeout, result});
}

AXError SimAccessibility::reachable(const AXElement& element, double timeout) {
    world_->settle();
    if (!world_->trusted) return AXError::apiDisabled;
    App* app = world_->app(element.pid);
    if (!app || !app->running)
        return element.kind == AXElementKind::application ? AXError::cannotComplete : AXError::invalidUIElement;
    if (app->behaviour.responseTime > timeout) return AXError::cannotComplete;
    if (element.kind == AXElementKind::application) return AXError::success;
    const Window* window = world_->liveWindow(element.window);
    if (!window || window->pid != element.pid) return AXError::invalidUIElement;
    if (element.kind == AXElementKind::closeButton && !window->hasCloseButton) return AXError::invalidUIElement;
    return AXError::success;
}

AXResult SimAccessibility::copyAttributeValue(const AXElement& element, std::string_view attribute, double timeout) {
    AXResult result;
    if (const AXError error = reachable(element, timeout); error != AXError::success)
        result = failure(error);
    else
        result = read(element, attribute);
    record(Request::copy, element, attribute, result.value, timeout, result.error);
    return result;
}

AXResult SimAccessibility::read(const AXElement& element, std::string_view attribute) {
    switch (element.kind) {
        case AXElementKind::application:
            return readApplication(*world_->app(element.pid), attribute);
        case AXElementKind::window:
            return readWindow(*world_->liveWindow(element.window), attribute);
        case AXElementKind::closeButton:
            if (attribute == ax::kRole) return value(std::string(ax::kButtonRole));
            if (attribute == ax::kSubrole) return value(std::string(ax::kCloseButtonSubrole));
            if (attribute == ax::kParent) return value(AXElement::windowOf(element.pid, element.window));
            return failure(AXError::attributeUnsupported);
    }
    return failure(AXError::attributeUnsupported);
}

AXResult SimAccessibility::readApplication(App& app, std::string_view attribute) {
    const auto windowElements = [&](bool onlyWindows) {
        std::vector<AXElement> list;
        for (auto number : world_->windowsOf(app.pid, false)) {
            const Window* w = world_->window(number);
            if (onlyWindows && w->role != ax::kWindowRole) continue;
            list.push_back(AXElement::windowOf(app.pid, number));
        }
        return list;
    };
    if (attribute == ax::kRole) return value(std::string(ax::kApplicationRole));
    if (attribute == ax::kTitle) return app.name ? value(*app.name) : failure(AXError::noValue);
    if (attribute == "AXHidden") return value(app.hidden);
    if (attribute == "AXFrontmost") return value(world_->frontmost() == app.pid);
    if (attribute == ax::kWindows) {
        if (app.behaviour.windowsReadError) return failure(*app.behaviour.windowsReadError);
        if (app.behaviour.windowsListEmpty) return value(std::vector<AXElement>{});
        return value(windowElements(false));
    }
    if (attribute == ax::kChildren) return value(windowElements(false));
    if (attribute == ax::kFocusedWindow || attribute == ax::kMainWindow) {
        for (auto number : world_->windowsOf(app.pid, false))
            if (!world_->window(number)->minimized) return value(AXElement::windowOf(app.pid, number));
        return failure(AXError::noValue);
    }
    return failure(AXError::attributeUnsupported);
}

AXResult SimAccessibility::readWindow(Window& window, std::string_view attribute) {
    if (attribute == ax::kRole) return value(window.role);
    if (attribute == ax::kSubrole) return window.subrole ? value(*window.subrole) : failure(AXError::noValue);
    if (attribute == ax::kTitle) return value(window.title);
    if (attribute == ax::kMinimized) return value(window.minimized);
    if (attribute == ax::kFullScreen) return value(window.fullScreen);
    if (attribute == ax::kPosition) return value(window.frame.origin());
    if (attribute == ax::kSize) return value(window.frame.size());
    if (attribute == ax::kMain || attribute == ax::kFocused) {
        for (auto number : world_->windowsOf(window.pid, false))
            if (!world_->window(number)->minimized) return value(number == window.number);
        return value(false);
    }
    if (attribute == ax::kParent) {
        if (window.parent && world_->liveWindow(*window.parent))
            return value(AXElement::windowOf(window.pid, *window.parent));
        return value(AXElement::application(window.pid));
    }
    if (attribute == ax::kChildren) {
        std::vector<AXElement> children;
        for (auto number : world_->windowsOf(window.pid, true))
            if (world_->window(number)->parent == window.number)
                children.push_back(AXElement::windowOf(window.pid, number));
        if (window.hasCloseButton) children.push_back(AXElement::closeButtonOf(window.pid, window.number));
        return value(std::move(children));
    }
    if (attribute == ax::kCloseButton) {
        if (!window.hasCloseButton) return failure(AXError::noValue);
        return value(AXElement::closeButtonOf(window.pid, window.number));
    }
    return failure(AXError::attributeUnsupported);
}

AXError SimAccessibility::setAttributeValue(const AXElement& element, std::string_view attribute, const AXValue& v,
                                            double timeout) {
    AXError error = reachable(element, timeout);
    if (error == AXError::success) error = write(element, attribute, v);
    record(Request::set, element, attribute, v, timeout, error);
    return error;
}

AXError SimAccessibility::write(const AXElement& element, std::string_view attribute, const AXValue& v) {
    if (element.kind != AXElementKind::window) return AXError::attributeUnsupported;
    Window& window = *world_->liveWindow(element.window);
    if (attribute == ax::kPosition) {
        const auto point = v.point();
        if (!point) return AXError::illegalArgument;
        return world_->writePosition(window, *point);
    }
    if (attribute == ax::kSize) {
        const auto size = v.size();
        if (!size) return AXError::illegalArgument;
        return world_->writeSize(window, *size);
    }
    const auto flag = v.boolean();
    if (attribute == ax::kMinimized) {
        if (!flag) return AXError::illegalArgument;
        world_->setMinimized(window.number, *flag);
        return AXError::success;
    }
    if (attribute == ax::kMain || attribute == ax::kFocused) {
        if (!flag) return AXError::illegalArgument;
        // Focusing a window brings its application forward, as the window manager does.
        if (*flag) {
            world_->raise(window.number);
            world_->activate(window.pid);
        }
        return AXError::success;
    }
    if (attribute == ax::kFullScreen) {
        if (!flag) return AXError::illegalArgument;
        window.fullScreen = *flag;
        return AXError::success;
    }
    return settable(element, attribute).error == AXError::attributeUnsupported ? AXError::attributeUnsupported
                                                                               : AXError::illegalArgument;
}

AXSettable SimAccessibility::isAttributeSettable(const AXElement& element, std::string_view attribute, double timeout) {
    AXSettable result{reachable(element, timeout), false};
    if (result.error == AXError::success) result = settable(element, attribute);
    record(Request::settable, element, attribute, AXValue(result.settable), timeout, result.error);
    return result;
}

AXSettable SimAccessibility::settable(const AXElement& element, std::string_view attribute) {
    if (element.kind != AXElementKind::window) {
        if (attribute == ax::kRole || attribute == ax::kTitle || attribute == ax::kWindows ||
            attribute == ax::kChildren || attribute == ax::kFocusedWindow || attribute == ax::kMainWindow)
            return {AXError::success, false};
        return {AXError::attributeUnsupported, false};
    }
    const Window& window = *world_->liveWindow(element.window);
    if (attribute == ax::kPosition) return {AXError::success, window.positionSettable};
    if (attribute == ax::kSize) return {AXError::success, window.sizeSettable};
    if (attribute == ax::kMinimized || attribute == ax::kMain || attribute == ax::kFocused ||
        attribute == ax::kFullScreen)
        return {AXError::success, true};
    if (attribute == ax::kRole || attribute == ax::kSubrole || attribute == ax::kTitle || attribute == ax::kParent ||
        attribute == ax::kChildren || attribute == ax::kCloseButton)
        return {AXError::success, false};
    return {AXError::attributeUnsupported, false};
}

AXError SimAccessibility::performAction(const AXElement& element, std::string_view action, double timeout) {
    AXError error = reachable(element, timeout);
    if (error == AXError::success) error = perform(element, action);
    record(Request::action, element, action, {}, timeout, error);
    return error;
}

AXError SimAccessibility::perform(const AXElement& element, std::string_view action) {
    if (element.kind == AXElementKind::window && action == ax::kRaiseAction) {
        world_->raise(element.window);
        return AXError::success;
    }
    if (element.kind == AXElementKind::closeButton && action == ax::kPressAction) {
        if (!world_->liveWindow(element.window)->behaviour.refusesClose) world_->vanish(element.window);
        return AXError::success;
    }
    return AXError::actionUnsupported;
}

AXResult SimAccessibility::elementAtPosition(const AXElement& application, arvelo::Point point, double timeout) {
    AXResult result;
    if (const AXError error = reachable(application, timeout); error != AXError::success) {
        result = failure(error);
    } else {
        result = failure(AXError::noValue);
        for (auto number : world_->windowsOf(application.pid, true)) {
            const Window* window = world_->window(number);
            if (world_->onScreen(*window) && window->frame.contains(point)) {
                result = value(AXElement::windowOf(application.pid, number));
                break;
            }
        }
    }
    record(Request::elementAtPosition, application, "", result.value, timeout, result.error);
    return result;
}

bool SimAccessibility::windowNumberCallAvailable() { return world_->windowNumberCallAvailable; }

std::uint32_t SimAccessibility::windowNumber(const AXElement& element) {
    if (!world_->windowNumberCallAvailable || element.kind != AXElementKind::window) return 0;
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

std::optional<std::uint64_t> SimAccessibility::changeStamp(const AXElement& element) {
    world_->settle();
    const App* app = world_->app(element.pid);
    if (!app) return std::nullopt;
    StampMixer mix;
    mix << world_->trusted << app->running << app->behaviour.responseTime << app->behaviour.windowsListEmpty
        << (app->behaviour.windowsReadError ? rawValue(*app->behaviour.windowsReadError) : 0);
    if (element.kind == AXElementKind::application) {
        for (auto number : world_->windowsOf(element.pid, false)) mix << number << world_->window(number)->role;
        return mix.value();
    }
    const Window* window = world_->liveWindow(element.window);
    if (!window) return std::nullopt;
    mix << window->number << window->pid << window->title << window->frame << window->role
        << window->subrole.value_or("") << window->minimized << window->fullScreen << window->positionSettable
        << window->sizeSettable << window->hasCloseButton << window->parent.value_or(0);
    // Moving to another Space unmaps a window on a real desktop; it counts as a change here too.
    for (const SpaceID space : world_->spacesOf(*window)) mix << space;
    for (auto number : world_->windowsOf(element.pid, true)) {
        const Window* child = world_->window(number);
        if (child->parent != window->number) continue;
        mix << child->number << child->role << child->subrole.value_or("") << child->frame << child->minimized;
    }
    return mix.value();
}

AXObserverResult SimAccessibility::createObserver(std::int32_t pid) {
    if (!world_->trusted) return {AXError::apiDisabled, nullptr};
    const App* app = world_->app(pid);
    if (!app || !app->running) return {AXError::invalidUIElement, nullptr};
    return {AXError::success, std::make_unique<SimObserver>(world_, pid)};
}

}  // namespace platform::sim
