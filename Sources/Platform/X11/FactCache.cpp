// SPDX-License-Identifier: MIT
// FactCache: storing, copying and invalidating cached fact groups.
#include "Platform/X11/FactCache.h"

namespace platform::x11 {

namespace {

// Copies the facts of the given groups from one record to the other.
void copyGroups(const WindowFacts& from, WindowFacts& to, unsigned groups) {
    if (groups & fact::kOwner) {
        to.netPid = from.netPid;
        to.leader = from.leader;
    }
    if (groups & fact::kTitle) to.title = from.title;
    if (groups & fact::kKind) {
        to.types = from.types;
        to.transientFor = from.transientFor;
    }
    if (groups & fact::kState) to.states = from.states;
    if (groups & fact::kGeometry) {
        to.client = from.client;
        to.borderWidth = from.borderWidth;
    }
    if (groups & fact::kAttributes) {
        to.mapState = from.mapState;
        to.overrideRedirect = from.overrideRedirect;
    }
    if (groups & fact::kStrut) to.strut = from.strut;
    if (groups & fact::kDesktop) to.desktop = from.desktop;
    if (groups & fact::kClass) {
        to.instance = from.instance;
        to.className = from.className;
        to.gtkApplicationId = from.gtkApplicationId;
        to.kdeDesktopFile = from.kdeDesktopFile;
    }
    if (groups & fact::kHints) {
        to.normalHints = from.normalHints;
        to.allowedActions = from.allowedActions;
    }
    if (groups & fact::kExtents) {
        to.extents = from.extents;
        to.shadow = from.shadow;
    }
}

}  // namespace

std::uint64_t FactCache::generation() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

std::uint64_t FactCache::restacks() const {
    std::lock_guard lock(mutex_);
    return restacks_;
}

std::uint64_t FactCache::roomChanges() const {
    std::lock_guard lock(mutex_);
    return roomChanges_;
}

unsigned FactCache::fill(WindowFacts& facts, unsigned groups) const {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(facts.window);
    if (it == entries_.end()) return 0;
    const WindowFacts& cached = it->second.facts;
    const unsigned found = it->second.groups & groups & kCachedFacts;
    copyGroups(cached, facts, found);
    return found;
}

void FactCache::store(const WindowFacts& facts, unsigned groups, std::uint64_t generation) {
    groups &= kCachedFacts;
    if (!groups || !facts.exists || !facts.answered) return;
    std::lock_guard lock(mutex_);
    if (generation != generation_ || !followed_.contains(facts.window)) return;
    Entry& entry = entries_[facts.window];
    WindowFacts& cached = entry.facts;
    cached.window = facts.window;
    copyGroups(facts, cached, groups);
    entry.groups |= groups;
}

unsigned FactCache::fillRoot(RootFacts& facts, unsigned groups) const {
    std::lock_guard lock(mutex_);
    const unsigned found = rootGroups_ & groups & kCachedRootFacts;
    if (found & rootfact::kClients) facts.clients = rootFacts_.clients;
    if (found & rootfact::kStacking) facts.stacking = rootFacts_.stacking;
    if (found & rootfact::kActive) facts.active = rootFacts_.active;
    if (found & rootfact::kDesktops) {
        facts.currentDesktop = rootFacts_.currentDesktop;
        facts.numberOfDesktops = rootFacts_.numberOfDesktops;
    }
    if (found & rootfact::kWindowManager) {
        facts.windowManager = rootFacts_.windowManager;
        facts.checkWindow = rootFacts_.checkWindow;
    }
    return found;
}

void FactCache::storeRoot(const RootFacts& facts, unsigned groups, std::uint64_t generation) {
    groups &= kCachedRootFacts;
    std::lock_guard lock(mutex_);
    if (!groups || generation != generation_) return;
    if (groups & rootfact::kClients) rootFacts_.clients = facts.clients;
    if (groups & rootfact::kStacking) rootFacts_.stacking = facts.stacking;
    if (groups & rootfact::kActive) rootFacts_.active = facts.active;
    if (groups & rootfact::kDesktops) {
        rootFacts_.currentDesktop = facts.currentDesktop;
        rootFacts_.numberOfDesktops = facts.numberOfDesktops;
    }
    if (groups & rootfact::kWindowManager) {
        rootFacts_.windowManager = facts.windowManager;
        rootFacts_.checkWindow = facts.checkWindow;
    }
    rootGroups_ |= groups;
}

void FactCache::touch() {
    std::lock_guard lock(mutex_);
    ++generation_;
}

bool FactCache::follows(xcb_window_t window) const {
    std::lock_guard lock(mutex_);
    return followed_.contains(window);
}

bool FactCache::startFollowing(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    return !followed_.insert(window).second;
}

void FactCache::forget(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    entries_.erase(window);
    followed_.erase(window);
}

unsigned FactCache::rootGroupOf(xcb_atom_t atom) const {
    if (atom == ewmh_._NET_CLIENT_LIST) return rootfact::kClients;
    if (atom == ewmh_._NET_CLIENT_LIST_STACKING) return rootfact::kStacking;
    if (atom == ewmh_._NET_ACTIVE_WINDOW) return rootfact::kActive;
    if (atom == ewmh_._NET_CURRENT_DESKTOP || atom == ewmh_._NET_NUMBER_OF_DESKTOPS) return rootfact::kDesktops;
    if (atom == ewmh_._NET_SUPPORTING_WM_CHECK) return rootfact::kWindowManager;
    return 0;
}

unsigned FactCache::groupOf(xcb_atom_t atom) const {
    if (atom == ewmh_._NET_WM_PID || atom == atoms_.WM_CLIENT_LEADER) return fact::kOwner;
    if (atom == ewmh_._NET_WM_NAME || atom == XCB_ATOM_WM_NAME) return fact::kTitle;
    if (atom == ewmh_._NET_WM_WINDOW_TYPE || atom == XCB_ATOM_WM_TRANSIENT_FOR) return fact::kKind;
    if (atom == ewmh_._NET_WM_STATE) return fact::kState;
    if (atom == ewmh_._NET_WM_DESKTOP) return fact::kDesktop;
    if (atom == XCB_ATOM_WM_CLASS || atom == atoms_._GTK_APPLICATION_ID || atom == atoms_._KDE_NET_WM_DESKTOP_FILE)
        return fact::kClass;
    if (atom == XCB_ATOM_WM_NORMAL_HINTS || atom == ewmh_._NET_WM_ALLOWED_ACTIONS) return fact::kHints;
    if (atom == ewmh_._NET_WM_STRUT_PARTIAL || atom == ewmh_._NET_WM_STRUT) return fact::kStrut;
    if (atom == ewmh_._NET_FRAME_EXTENTS || atom == atoms_._GTK_FRAME_EXTENTS) return fact::kExtents;
    return 0;
}

void FactCache::drop(xcb_window_t window, unsigned groups) {
    ++generation_;
    if (auto it = entries_.find(window); it != entries_.end()) it->second.groups &= ~groups;
}

void FactCache::dropEverywhere(unsigned groups) {
    ++generation_;
    for (auto& [window, entry] : entries_) entry.groups &= ~groups;
}

bool FactCache::movesTopLevel(const xcb_configure_notify_event_t& e) {
    const Placement now{e.x, e.y, e.width, e.height, e.border_width};
    const auto [it, added] = topLevels_.try_emplace(e.window, now);
    if (added) return true;
    if (it->second == now) return false;
    it->second = now;
    return true;
}

void FactCache::take(const xcb_generic_event_t& event) {
    // A client's geometry is its place in root coordinates: it changes when the client or
    // any top-level window (its frame) moves; whether it is viewable changes when it or any
    // top-level window is mapped or unmapped.
    switch (event.response_type & 0x7f) {
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (e.window == root_) {
                const unsigned group = rootGroupOf(e.atom);
                if (!group) {
                    // The work area is kept by readers of the screens.
                    if (e.atom == ewmh_._NET_WORKAREA) {
                        std::lock_guard lock(mutex_);
                        ++generation_;
                        ++roomChanges_;
                    }
                    return;
                }
                std::lock_guard lock(mutex_);
                ++generation_;
                if (group == rootfact::kDesktops) ++roomChanges_;  // the work area of another desktop
                rootGroups_ &= ~group;
                return;
            }
            const unsigned group = groupOf(e.atom);
            if (!group) {
                if (e.atom != ewmh_._NET_SUPPORTING_WM_CHECK) return;
                std::lock_guard lock(mutex_);
                if (e.window != rootFacts_.checkWindow || !(rootGroups_ & rootfact::kWindowManager)) return;
                ++generation_;
                rootGroups_ &= ~rootfact::kWindowManager;
                return;
            }
            std::lock_guard lock(mutex_);
            drop(e.window, group);
            if (group == fact::kStrut) ++roomChanges_;
            return;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
            std::lock_guard lock(mutex_);
            if (e.window == root_)
                dropEverywhere(fact::kGeometry);
            else if (e.event != root_)
                drop(e.window, fact::kGeometry);
            else if (movesTopLevel(e))
                dropEverywhere(fact::kGeometry);
            else
                ++restacks_;
            return;
        }
        case XCB_CREATE_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
            std::lock_guard lock(mutex_);
            ++restacks_;
            if (e.override_redirect)
                overrideRedirect_.insert(e.window);
            else
                ++roomChanges_;
            return;
        }
        case XCB_CIRCULATE_NOTIFY: {
            std::lock_guard lock(mutex_);
            ++restacks_;
            return;
        }
        case XCB_GRAVITY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_gravity_notify_event_t&>(event);
            std::lock_guard lock(mutex_);
            drop(e.window, fact::kGeometry);
            return;
        }
        case XCB_MAP_NOTIFY:
        case XCB_UNMAP_NOTIFY: {
            // Both events start with the same fields: the window told and the window mapped.
            const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
            std::lock_guard lock(mutex_);
            if (e.event == root_)
                dropEverywhere(fact::kAttributes);
            else
                drop(e.window, fact::kAttributes);
            // An unmap says nothing of override-redirect: the windows seen so tell.
            const bool mapped = (event.response_type & 0x7f) == XCB_MAP_NOTIFY;
            if (mapped && e.override_redirect) overrideRedirect_.insert(e.window);
            if (!overrideRedirect_.contains(e.window)) ++roomChanges_;
            return;
        }
        case XCB_REPARENT_NOTIFY: {
            std::lock_guard lock(mutex_);
            dropEverywhere(fact::kGeometry | fact::kAttributes);
            ++roomChanges_;
            return;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
            std::lock_guard lock(mutex_);
            ++generation_;
            entries_.erase(e.window);
            followed_.erase(e.window);
            topLevels_.erase(e.window);
            if (overrideRedirect_.erase(e.window) == 0) ++roomChanges_;
            if (e.window == rootFacts_.checkWindow) rootGroups_ &= ~rootfact::kWindowManager;
            return;
        }
        default:
            return;
    }
}

}  // namespace platform::x11
