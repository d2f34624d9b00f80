// SPDX-License-Identifier: MIT
// X11Accessibility: reads through AttributeAnswers, writes and actions through window manager
// transactions, hit testing over the clients' outer frames.
#include "Platform/X11/X11Accessibility.h"

#include "Platform/X11/SizeHints.h"
#include "Platform/X11/WindowManagerRequests.h"
#include "Platform/X11/WindowRoles.h"
#include "Platform/X11/X11Observer.h"

#include <cmath>

namespace platform::x11 {

namespace {
// The trust check answers within this bound whatever the caller's time-out.
constexpr double kTrustTimeout = 1.0;
}  // namespace

X11Accessibility::X11Accessibility(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events)
    : connection_(std::move(connection)), events_(std::move(events)), manager_(connection_, *events_) {}

DesktopContext X11Accessibility::context() const { return {*connection_->ewmh(), connection_->root()}; }

bool X11Accessibility::isProcessTrusted() {
    if (connection_->broken()) return false;
    FactBatch batch(*connection_, rootfact::kWindowManager, {}, 0);
    const RootFacts& root = batch.root(Deadline::in(kTrustTimeout));
    // A check that timed out says nothing of the window manager.
    if (root.answered) lastTrust_ = root.windowManager;
    return lastTrust_;
}

bool X11Accessibility::isProcessTrustedWithOptions(bool) {
    // There is nobody to ask on X11: trust is the presence of a window manager.
    return isProcessTrusted();
}

std::optional<std::uint64_t> X11Accessibility::changeStamp(const AccessElement& element) {
    if (connection_->broken()) return std::nullopt;
    FactCache& cache = connection_->cache();
    // Taken before the check: a window followed from now on may have changed before.
    const std::uint64_t generation = cache.generation();
    if (element.kind != AccessElementKind::application && !cache.follows(element.window)) return std::nullopt;
    return generation;
}

ClientTable X11Accessibility::read(const std::vector<AccessElement>& elements, const Needs& needs, Deadline deadline,
                                   bool fresh) {
    std::vector<xcb_window_t> windows;
    for (const AccessElement& e : elements)
        if (e.kind != AccessElementKind::application) windows.push_back(e.window);
    // Every read of a window includes its state. The cache forgets a window on its
    // DestroyNotify, so a window that was destroyed is asked of the server again and reads as
    // gone (-25202), even when everything else asked for is kept.
    const unsigned windowFacts = needs.windowFacts | (windows.empty() ? 0 : fact::kState);
    // A window just written is read once the window manager has applied the write.
    writes_.await(windows, needs.everyClient, deadline);
    if (needs.everyClient) return ClientTable::read(*connection_, needs.rootFacts, windowFacts, deadline);
    return ClientTable::readSome(*connection_, needs.rootFacts, windows, windowFacts, deadline, fresh);
}

AccessResult X11Accessibility::copyAttributeValue(const AccessElement& element, std::string_view attribute, double timeout) {
    const ClientTable table = read({element}, needsOf(element, attribute), Deadline::in(timeout));
    return answer(table, element, attribute, context());
}

std::vector<AccessResult> X11Accessibility::copyMultipleAttributeValues(const AccessElement& element,
                                                                    const std::vector<std::string>& attributes,
                                                                    double timeout) {
    return copyAttributeValues({element}, attributes, timeout).front();
}

std::vector<std::vector<AccessResult>> X11Accessibility::copyAttributeValues(const std::vector<AccessElement>& elements,
                                                                         const std::vector<std::string>& attributes,
                                                                         double timeout) {
    // One picture of the desktop with everything any of the answers needs.
    Needs needs;
    for (const AccessElement& element : elements)
        for (const std::string& attribute : attributes) needs |= needsOf(element, attribute);
    const ClientTable table = read(elements, needs, Deadline::in(timeout));
    std::vector<std::vector<AccessResult>> results;
    results.reserve(elements.size());
    for (const AccessElement& element : elements) {
        auto& row = results.emplace_back();
        row.reserve(attributes.size());
        for (const std::string& attribute : attributes) row.push_back(answer(table, element, attribute, context()));
    }
    return results;
}

std::optional<arvelo::Size> X11Accessibility::fittedSize(const AccessElement& element, arvelo::Size size,
                                                         double timeout) {
    const ClientTable table = read({element}, {fact::kGeometry | fact::kHints, 0, false}, Deadline::in(timeout));
    if (validate(table, element, context()) != AccessError::success || element.kind != AccessElementKind::window)
        return std::nullopt;
    const WindowFacts& facts = *table.find(element.window);
    if (!facts.normalHints) return size;
    // The hints speak of the client: the frame's decorations come off first and go on again
    // after, and a client-side-decorated window's shadow the other way round.
    const FrameExtents& e = facts.extents;
    const FrameExtents& s = facts.shadow;
    const std::int64_t decorationWidth = std::int64_t(e.left) + e.right - std::int64_t(s.left) - s.right;
    const std::int64_t decorationHeight = std::int64_t(e.top) + e.bottom - std::int64_t(s.top) - s.bottom;
    const ClientSize asked{std::llround(size.width) - decorationWidth, std::llround(size.height) - decorationHeight};
    if (asked.width <= 0 || asked.height <= 0) return size;
    const ClientSize fitted = fitClientSize(*facts.normalHints, asked);
    if (fitted == asked) return size;
    return arvelo::Size{double(fitted.width + decorationWidth), double(fitted.height + decorationHeight)};
}

AccessSettable X11Accessibility::isAttributeSettable(const AccessElement& element, std::string_view attribute, double timeout) {
    const ClientTable table = read({element}, needsOfSettable(element, attribute), Deadline::in(timeout));
    return settable(table, element, attribute, context());
}

AccessError X11Accessibility::setAttributeValue(const AccessElement& element, std::string_view attribute, const AccessValue& value,
                                            double timeout) {
    const Deadline deadline = Deadline::in(timeout);
    connection_->cache().touch();
    const ClientTable table =
        read({element}, {fact::kState | fact::kGeometry | fact::kHints | fact::kAttributes, rootfact::kActive, false},
             deadline, true);
    if (const AccessError error = validate(table, element, context()); error != AccessError::success) return error;
    if (element.kind != AccessElementKind::window) return AccessError::attributeUnsupported;
    const WindowFacts& facts = *table.find(element.window);
    const xcb_ewmh_connection_t& e = *connection_->ewmh();

    WindowManagerTransaction transaction(*connection_, facts);
    if (attribute == ax::kPosition || attribute == ax::kSize) {
        const bool position = attribute == ax::kPosition;
        const auto point = value.point();
        const auto size = value.size();
        if (position ? !point : !size) return AccessError::illegalArgument;
        if (!(position ? positionSettable(facts, e) : sizeSettable(facts, e))) return AccessError::attributeUnsupported;
        const auto current = facts.frame();
        if (!current) return AccessError::cannotComplete;
        // The whole frame goes in one request: the new origin with the current size, or the
        // current origin with the new size.
        const arvelo::Rect target = position ? arvelo::Rect(point->x, point->y, current->width, current->height)
                                             : arvelo::Rect(current->x, current->y, size->width, size->height);
        const auto manager = manager_.facts(deadline);
        // A manager that lists nothing (or does not answer) is asked the EWMH way.
        const bool moveResize =
            !manager.answered || manager.supported.empty() || manager.supports(e._NET_MOVERESIZE_WINDOW);
        transaction.unmaximise();
        transaction.setFrame(target, moveResize);
    } else {
        const auto flag = value.boolean();
        if (attribute == ax::kMinimized && flag) {
            transaction.setMinimised(*flag);
        } else if (attribute == ax::kFullScreen && flag) {
            transaction.setFullScreen(*flag);
        } else if ((attribute == ax::kMain || attribute == ax::kFocused) && flag) {
            if (*flag) transaction.activate(table.root.active == element.window);
        } else {
            const bool known = settable(table, element, attribute, context()).error != AccessError::attributeUnsupported;
            return known ? AccessError::illegalArgument : AccessError::attributeUnsupported;
        }
    }
    const bool confirmed = transaction.commit(deadline);
    if (auto pending = transaction.takePendingFrame()) writes_.add(element.window, std::move(*pending));
    if (!confirmed && attribute == ax::kMinimized && value.boolean() == false) restoreAgainIfLost(element, deadline);
    return connection_->broken() ? AccessError::cannotComplete : AccessError::success;
}

// A restore is a map request, and one that reaches the window manager while it is still
// iconifying the window (the window still mapped) changes nothing: the manager then unmaps it
// and it stays minimised. Once the window is unmapped, the same request restores it.
void X11Accessibility::restoreAgainIfLost(const AccessElement& element, Deadline deadline) {
    const ClientTable table = read({element}, {fact::kState | fact::kAttributes, 0, false}, deadline, true);
    const WindowFacts* facts = table.find(element.window);
    if (!facts || !facts->hasState(connection_->ewmh()->_NET_WM_STATE_HIDDEN) ||
        facts->mapState != XCB_MAP_STATE_UNMAPPED)
        return;
    WindowManagerTransaction transaction(*connection_, *facts);
    transaction.setMinimised(false);
    transaction.commit(deadline);
}

AccessError X11Accessibility::performAction(const AccessElement& element, std::string_view action, double timeout) {
    const Deadline deadline = Deadline::in(timeout);
    connection_->cache().touch();
    const ClientTable table = read({element}, {fact::kState | fact::kHints, 0, false}, deadline, true);
    if (const AccessError error = validate(table, element, context()); error != AccessError::success) return error;
    if (element.kind == AccessElementKind::window && action == ax::kRaiseAction) {
        WindowManagerTransaction transaction(*connection_, *table.find(element.window));
        transaction.raise();
        transaction.commit(deadline);
    } else if (element.kind == AccessElementKind::closeButton && action == ax::kPressAction) {
        // The application decides whether it closes; there is nothing to wait for.
        WindowManagerTransaction transaction(*connection_, *table.find(element.window));
        transaction.close();
        connection_->flush();
    } else {
        return AccessError::actionUnsupported;
    }
    return connection_->broken() ? AccessError::cannotComplete : AccessError::success;
}

AccessResult X11Accessibility::elementAtPosition(const AccessElement& application, arvelo::Point point, double timeout) {
    writes_.await({}, true, Deadline::in(timeout));
    const ClientTable table = ClientTable::read(*connection_, rootfact::kStacking, fact::kGeometry | fact::kAttributes,
                                                Deadline::in(timeout));
    if (const AccessError error = validate(table, application, context()); error != AccessError::success) return {error, {}};
    for (std::size_t i : table.clientsOf(application.pid)) {
        const WindowFacts& facts = table.clients[i];
        const auto frame = facts.frame();
        if (facts.mapState == XCB_MAP_STATE_VIEWABLE && frame && frame->contains(point))
            return {AccessError::success, AccessElement::windowOf(application.pid, facts.window)};
    }
    return {AccessError::noValue, {}};
}

std::uint32_t X11Accessibility::windowNumber(const AccessElement& element) {
    return element.kind == AccessElementKind::application ? 0 : element.window;
}

AccessObserverResult X11Accessibility::createObserver(std::int32_t pid) {
    const ClientTable table = ClientTable::read(*connection_, 0, 0, Deadline::in(kTrustTimeout));
    if (const AccessError error = validate(table, AccessElement::application(pid), context()); error != AccessError::success)
        return {AccessError::invalidUIElement, nullptr};
    return {AccessError::success, std::make_unique<X11Observer>(connection_, events_, pid)};
}

}  // namespace platform::x11
