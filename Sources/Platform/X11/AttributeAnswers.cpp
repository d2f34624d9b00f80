// SPDX-License-Identifier: MIT
// AttributeAnswers: attribute by attribute, what the desktop's facts say.
#include "Platform/X11/AttributeAnswers.h"

#include "Platform/X11/ApplicationIdentity.h"
#include "Platform/X11/WindowRoles.h"

namespace platform::x11 {

namespace {
AccessResult value(AccessValue v) { return {AccessError::success, std::move(v)}; }
AccessResult failure(AccessError error) { return {error, {}}; }

bool isApplicationAttribute(std::string_view a) {
    return a == ax::kRole || a == ax::kTitle || a == ax::kWindows || a == ax::kChildren || a == ax::kFocusedWindow ||
           a == ax::kMainWindow || a == "AXHidden" || a == "AXFrontmost";
}

bool isWindowAttribute(std::string_view a) {
    return a == ax::kRole || a == ax::kSubrole || a == ax::kTitle || a == ax::kMinimized || a == ax::kFullScreen ||
           a == ax::kMaximized || a == ax::kPosition || a == ax::kSize || a == ax::kMain || a == ax::kFocused ||
           a == ax::kParent || a == ax::kChildren || a == ax::kCloseButton;
}

// A window's top-level window: the end of its transient-for chain among the clients.
xcb_window_t topLevelOf(const ClientTable& table, xcb_window_t window, xcb_window_t root) {
    for (int depth = 0; depth < 16; ++depth) {
        const WindowFacts* facts = table.find(window);
        const xcb_window_t parent = facts ? parentOf(*facts, root) : xcb_window_t{XCB_WINDOW_NONE};
        if (parent == XCB_WINDOW_NONE || !table.find(parent)) return window;
        window = parent;
    }
    return window;
}

std::vector<AccessElement> topLevelWindows(const ClientTable& table, std::int32_t pid, xcb_window_t root) {
    std::vector<AccessElement> list;
    for (std::size_t i : table.clientsOf(pid))
        if (parentOf(table.clients[i], root) == XCB_WINDOW_NONE || !table.find(table.clients[i].transientFor))
            list.push_back(AccessElement::windowOf(pid, table.clients[i].window));
    return list;
}

AccessResult answerApplication(const ClientTable& table, std::int32_t pid, std::string_view attribute,
                           const DesktopContext& context) {
    if (attribute == ax::kRole) return value(std::string(ax::kApplicationRole));
    if (attribute == ax::kTitle) {
        const auto& mine = table.clientsOf(pid);
        const auto name = mine.empty() ? processName(pid) : applicationName(table.clients[mine.front()], pid);
        return name ? value(*name) : failure(AccessError::noValue);
    }
    if (attribute == ax::kWindows || attribute == ax::kChildren)
        return value(topLevelWindows(table, pid, context.root));
    if (attribute == ax::kFocusedWindow || attribute == ax::kMainWindow) {
        const auto main = mainWindowOf(table, pid, context);
        return main ? value(AccessElement::windowOf(pid, *main)) : failure(AccessError::noValue);
    }
    if (attribute == "AXHidden") {
        const auto windows = topLevelWindows(table, pid, context.root);
        bool allMinimised = !windows.empty();
        for (const AccessElement& w : windows)
            allMinimised = allMinimised && table.find(w.window)->hasState(context.ewmh._NET_WM_STATE_HIDDEN);
        return value(allMinimised);
    }
    if (attribute == "AXFrontmost")
        return value(table.root.active != XCB_WINDOW_NONE && table.pidOf(table.root.active) == pid);
    return failure(AccessError::attributeUnsupported);
}

AccessResult answerWindow(const ClientTable& table, const WindowFacts& facts, std::int32_t pid, std::string_view attribute,
                      const DesktopContext& context) {
    const xcb_ewmh_connection_t& e = context.ewmh;
    if (attribute == ax::kRole) return value(roleOf(facts, e, context.root));
    if (attribute == ax::kSubrole) {
        auto subrole = subroleOf(facts, e, context.root);
        return subrole ? value(*subrole) : failure(AccessError::noValue);
    }
    if (attribute == ax::kTitle) return value(facts.title);
    if (attribute == ax::kMinimized) return value(facts.hasState(e._NET_WM_STATE_HIDDEN));
    if (attribute == ax::kFullScreen) return value(facts.hasState(e._NET_WM_STATE_FULLSCREEN));
    if (attribute == ax::kMaximized)
        return value(static_cast<double>(facts.hasState(e._NET_WM_STATE_MAXIMIZED_VERT)) +
                     static_cast<double>(facts.hasState(e._NET_WM_STATE_MAXIMIZED_HORZ)));
    if (attribute == ax::kPosition || attribute == ax::kSize) {
        const auto frame = facts.frame();
        if (!frame) return failure(AccessError::cannotComplete);
        return attribute == ax::kPosition ? value(frame->origin()) : value(frame->size());
    }
    if (attribute == ax::kMain || attribute == ax::kFocused)
        return value(mainWindowOf(table, pid, context) == facts.window);
    if (attribute == ax::kParent) {
        const xcb_window_t parent = parentOf(facts, context.root);
        if (parent != XCB_WINDOW_NONE && table.pidOf(parent) == pid) return value(AccessElement::windowOf(pid, parent));
        return value(AccessElement::application(pid));
    }
    if (attribute == ax::kChildren) {
        std::vector<AccessElement> children;
        for (std::size_t i : table.clientsOf(pid))
            if (parentOf(table.clients[i], context.root) == facts.window)
                children.push_back(AccessElement::windowOf(pid, table.clients[i].window));
        if (hasCloseButton(facts, e)) children.push_back(AccessElement::closeButtonOf(pid, facts.window));
        return value(std::move(children));
    }
    if (attribute == ax::kCloseButton) {
        if (!hasCloseButton(facts, e)) return failure(AccessError::noValue);
        return value(AccessElement::closeButtonOf(pid, facts.window));
    }
    return failure(AccessError::attributeUnsupported);
}
}  // namespace

Needs needsOf(const AccessElement& element, std::string_view a) {
    Needs needs;
    if (element.kind == AccessElementKind::application) {
        needs.everyClient = true;
        if (a == ax::kTitle)
            needs.windowFacts = fact::kClass;
        else if (a == ax::kWindows || a == ax::kChildren)
            needs = {fact::kKind, rootfact::kStacking, true};
        else if (a == "AXHidden")
            needs = {fact::kKind | fact::kState, rootfact::kStacking, true};
        else if (a == ax::kFocusedWindow || a == ax::kMainWindow)
            needs = {fact::kKind | fact::kState, rootfact::kStacking | rootfact::kActive, true};
        else if (a == "AXFrontmost")
            needs.rootFacts = rootfact::kActive;
        return needs;
    }
    if (element.kind == AccessElementKind::closeButton) return {fact::kHints, 0, false};
    if (a == ax::kRole || a == ax::kSubrole)
        needs.windowFacts = fact::kKind | fact::kState;
    else if (a == ax::kTitle)
        needs.windowFacts = fact::kTitle;
    else if (a == ax::kMinimized || a == ax::kFullScreen || a == ax::kMaximized)
        needs.windowFacts = fact::kState;
    else if (a == ax::kPosition || a == ax::kSize)
        needs.windowFacts = fact::kGeometry;
    else if (a == ax::kMain || a == ax::kFocused)
        needs = {fact::kKind | fact::kState, rootfact::kStacking | rootfact::kActive, true};
    else if (a == ax::kParent)
        needs = {fact::kKind, 0, true};
    else if (a == ax::kChildren)
        needs = {fact::kKind | fact::kState | fact::kHints, rootfact::kStacking, true};
    else if (a == ax::kCloseButton)
        needs.windowFacts = fact::kHints;
    return needs;
}

Needs needsOfSettable(const AccessElement& element, std::string_view attribute) {
    if (element.kind == AccessElementKind::application) return {0, 0, true};
    if (element.kind == AccessElementKind::closeButton) return {fact::kHints, 0, false};
    if (attribute == ax::kPosition || attribute == ax::kSize) return {fact::kHints, 0, false};
    return {};
}

AccessError validate(const ClientTable& table, const AccessElement& element, const DesktopContext& context) {
    if (!table.answered) return AccessError::cannotComplete;
    if (element.kind == AccessElementKind::application) {
        const bool running = !table.clientsOf(element.pid).empty() || processAlive(element.pid);
        return running ? AccessError::success : AccessError::cannotComplete;
    }
    const WindowFacts* facts = table.find(element.window);
    if (!facts || !table.isClient(element.window) || table.pidOf(element.window) != element.pid)
        return AccessError::invalidUIElement;
    if (element.kind == AccessElementKind::closeButton && !hasCloseButton(*facts, context.ewmh))
        return AccessError::invalidUIElement;
    return AccessError::success;
}

AccessResult answer(const ClientTable& table, const AccessElement& element, std::string_view attribute,
                const DesktopContext& context) {
    if (const AccessError error = validate(table, element, context); error != AccessError::success) return failure(error);
    switch (element.kind) {
        case AccessElementKind::application:
            return answerApplication(table, element.pid, attribute, context);
        case AccessElementKind::window:
            return answerWindow(table, *table.find(element.window), element.pid, attribute, context);
        case AccessElementKind::closeButton:
            if (attribute == ax::kRole) return value(std::string(ax::kButtonRole));
            if (attribute == ax::kSubrole) return value(std::string(ax::kCloseButtonSubrole));
            if (attribute == ax::kParent) return value(AccessElement::windowOf(element.pid, element.window));
            return failure(AccessError::attributeUnsupported);
    }
    return failure(AccessError::attributeUnsupported);
}

AccessSettable settable(const ClientTable& table, const AccessElement& element, std::string_view attribute,
                    const DesktopContext& context) {
    if (const AccessError error = validate(table, element, context); error != AccessError::success) return {error, false};
    if (element.kind != AccessElementKind::window) {
        const bool known = element.kind == AccessElementKind::application
                               ? isApplicationAttribute(attribute)
                               : (attribute == ax::kRole || attribute == ax::kSubrole || attribute == ax::kParent);
        return {known ? AccessError::success : AccessError::attributeUnsupported, false};
    }
    const WindowFacts& facts = *table.find(element.window);
    if (attribute == ax::kPosition) return {AccessError::success, positionSettable(facts, context.ewmh)};
    if (attribute == ax::kSize) return {AccessError::success, sizeSettable(facts, context.ewmh)};
    if (attribute == ax::kMinimized || attribute == ax::kMain || attribute == ax::kFocused ||
        attribute == ax::kFullScreen)
        return {AccessError::success, true};
    return {isWindowAttribute(attribute) ? AccessError::success : AccessError::attributeUnsupported, false};
}

std::optional<xcb_window_t> mainWindowOf(const ClientTable& table, std::int32_t pid, const DesktopContext& context) {
    const xcb_window_t active = table.root.active;
    if (active != XCB_WINDOW_NONE && table.pidOf(active) == pid) return topLevelOf(table, active, context.root);
    for (const AccessElement& w : topLevelWindows(table, pid, context.root))
        if (!table.find(w.window)->hasState(context.ewmh._NET_WM_STATE_HIDDEN)) return w.window;
    return std::nullopt;
}

}  // namespace platform::x11
