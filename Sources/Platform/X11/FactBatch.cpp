// SPDX-License-Identifier: MIT
// FactBatch: sends the requests of a batch at once, then collects and decodes the replies.
#include "Platform/X11/FactBatch.h"

#include "Platform/X11/PropertyValue.h"

#include <algorithm>
#include <optional>

namespace platform::x11 {

namespace {
// Long enough for any list a window manager keeps (the server returns what there is).
constexpr std::uint32_t kWholeProperty = 1u << 24;

xcb_get_property_cookie_t askProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t atom) {
    return xcb_get_property(c, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, kWholeProperty);
}
}  // namespace

struct FactBatch::Pending {
    struct Root {
        xcb_get_property_cookie_t clients{}, stacking{}, active{}, current{}, number{}, check{};
    } root;
    struct Window {
        xcb_get_property_cookie_t pid{}, leader{}, netName{}, wmName{}, type{}, transient{}, state{}, extents{},
            hints{}, allowed{}, desktop{}, wmClass{}, gtk{}, kde{}, strutPartial{}, strut{}, shadow{};
        xcb_get_geometry_cookie_t geometry{};
        xcb_translate_coordinates_cookie_t translate{};
        xcb_get_window_attributes_cookie_t attributes{};
    };
    unsigned rootFacts = 0;
    std::vector<unsigned> asked;  // per window: the groups asked of the server
    std::uint64_t cacheGeneration = 0;
    std::vector<Window> windows;
    bool collected = false;
};

FactBatch::FactBatch(Connection& connection, unsigned rootFacts, const std::vector<xcb_window_t>& windows,
                     unsigned allFacts, bool fresh)
    : connection_(connection), pending_(std::make_unique<Pending>()) {
    xcb_connection_t* c = connection.xcb();
    xcb_ewmh_connection_t& e = *connection.ewmh();
    const Atoms& a = connection.atoms();
    const xcb_window_t root = connection.root();
    Pending& p = *pending_;
    FactCache& cache = connection.cache();
    p.cacheGeneration = cache.generation();
    rootFacts &= ~cache.fillRoot(root_, rootFacts);
    p.rootFacts = rootFacts;

    if (rootFacts & rootfact::kClients) p.root.clients = askProperty(c, root, e._NET_CLIENT_LIST);
    if (rootFacts & rootfact::kStacking) p.root.stacking = askProperty(c, root, e._NET_CLIENT_LIST_STACKING);
    if (rootFacts & rootfact::kActive) p.root.active = askProperty(c, root, e._NET_ACTIVE_WINDOW);
    if (rootFacts & rootfact::kDesktops) {
        p.root.current = askProperty(c, root, e._NET_CURRENT_DESKTOP);
        p.root.number = askProperty(c, root, e._NET_NUMBER_OF_DESKTOPS);
    }
    if (rootFacts & rootfact::kWindowManager) p.root.check = askProperty(c, root, e._NET_SUPPORTING_WM_CHECK);

    p.windows.resize(windows.size());
    p.asked.resize(windows.size());
    windows_.resize(windows.size());
    if (allFacts & fact::kGeometry) allFacts |= fact::kExtents;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const xcb_window_t w = windows[i];
        Pending::Window& q = p.windows[i];
        windows_[i].window = w;
        const unsigned windowFacts = fresh ? allFacts : allFacts & ~cache.fill(windows_[i], allFacts);
        p.asked[i] = windowFacts;
        // Followed before its facts are read, so a change after the read invalidates them.
        if (windowFacts & FactCache::kCachedFacts) connection.follow(w);
        if (windowFacts & fact::kOwner) {
            q.pid = askProperty(c, w, e._NET_WM_PID);
            q.leader = askProperty(c, w, a.WM_CLIENT_LEADER);
        }
        if (windowFacts & fact::kTitle) {
            q.netName = askProperty(c, w, e._NET_WM_NAME);
            q.wmName = askProperty(c, w, XCB_ATOM_WM_NAME);
        }
        if (windowFacts & fact::kKind) {
            q.type = askProperty(c, w, e._NET_WM_WINDOW_TYPE);
            q.transient = askProperty(c, w, XCB_ATOM_WM_TRANSIENT_FOR);
        }
        if (windowFacts & fact::kState) q.state = askProperty(c, w, e._NET_WM_STATE);
        if (windowFacts & fact::kGeometry) {
            q.geometry = xcb_get_geometry(c, w);
            q.translate = xcb_translate_coordinates(c, w, root, 0, 0);
        }
        if (windowFacts & fact::kExtents) {
            q.extents = askProperty(c, w, e._NET_FRAME_EXTENTS);
            q.shadow = askProperty(c, w, a._GTK_FRAME_EXTENTS);
        }
        if (windowFacts & fact::kHints) {
            q.hints = askProperty(c, w, XCB_ATOM_WM_NORMAL_HINTS);
            q.allowed = askProperty(c, w, e._NET_WM_ALLOWED_ACTIONS);
        }
        if (windowFacts & fact::kDesktop) q.desktop = askProperty(c, w, e._NET_WM_DESKTOP);
        if (windowFacts & fact::kClass) {
            q.wmClass = askProperty(c, w, XCB_ATOM_WM_CLASS);
            q.gtk = askProperty(c, w, a._GTK_APPLICATION_ID);
            q.kde = askProperty(c, w, a._KDE_NET_WM_DESKTOP_FILE);
        }
        if (windowFacts & fact::kAttributes) q.attributes = xcb_get_window_attributes(c, w);
        if (windowFacts & fact::kStrut) {
            q.strutPartial = askProperty(c, w, e._NET_WM_STRUT_PARTIAL);
            q.strut = askProperty(c, w, e._NET_WM_STRUT);
        }
    }
    connection.flush();
}

FactBatch::~FactBatch() {
    // Replies never collected are dropped so that xcb does not keep them.
    if (!pending_->collected) collect(Deadline::in(0));
}

const RootFacts& FactBatch::root(Deadline deadline) {
    collect(deadline);
    return root_;
}

const std::vector<WindowFacts>& FactBatch::windows(Deadline deadline) {
    collect(deadline);
    return windows_;
}

std::vector<WindowFacts> FactBatch::takeWindows(Deadline deadline) {
    collect(deadline);
    return std::move(windows_);
}

void FactBatch::collect(Deadline deadline) {
    Pending& p = *pending_;
    if (p.collected) return;
    p.collected = true;
    Connection& conn = connection_;
    // A batch answered wholly from the cache waits for nothing (and wakes nobody when done).
    std::optional<Connection::Waiting> waiting;
    if (p.rootFacts || std::any_of(p.asked.begin(), p.asked.end(), [](unsigned asked) { return asked != 0; }))
        waiting.emplace(conn);
    const xcb_atom_t utf8 = conn.ewmh()->UTF8_STRING;

    // Awaits one property; notes a missing window or a missing answer on `into`.
    auto property = [&](xcb_get_property_cookie_t cookie, bool& exists, bool& answered) {
        auto reply = conn.await<xcb_get_property_reply_t>(cookie, deadline);
        if (reply.status == ReplyStatus::xError && reply.errorCode() == XCB_WINDOW)
            exists = false;
        else if (reply.status == ReplyStatus::timedOut || reply.status == ReplyStatus::lost)
            answered = false;
        return reply;
    };

    bool rootExists = true;
    if (p.rootFacts & rootfact::kClients)
        root_.clients = cardinals(property(p.root.clients, rootExists, root_.answered).value.get());
    if (p.rootFacts & rootfact::kStacking)
        root_.stacking = cardinals(property(p.root.stacking, rootExists, root_.answered).value.get());
    if (p.rootFacts & rootfact::kActive)
        root_.active =
            firstCardinal(property(p.root.active, rootExists, root_.answered).value.get()).value_or(XCB_WINDOW_NONE);
    if (p.rootFacts & rootfact::kDesktops) {
        root_.currentDesktop = firstCardinal(property(p.root.current, rootExists, root_.answered).value.get());
        root_.numberOfDesktops =
            firstCardinal(property(p.root.number, rootExists, root_.answered).value.get()).value_or(0);
    }
    if (p.rootFacts & rootfact::kWindowManager) {
        // The check window must name itself, or the property is a stale leftover.
        const auto check = firstCardinal(property(p.root.check, rootExists, root_.answered).value.get());
        if (check && *check != XCB_WINDOW_NONE) {
            // Followed before its own property is read, so that its going (or a change of the
            // property) after the read drops what is kept.
            root_.checkWindow = *check;
            conn.follow(*check);
            bool exists = true;
            auto own = property(askProperty(conn.xcb(), *check, conn.ewmh()->_NET_SUPPORTING_WM_CHECK), exists,
                                root_.answered);
            root_.windowManager = exists && firstCardinal(own.value.get()) == check;
        }
    }

    if (root_.answered) connection_.cache().storeRoot(root_, p.rootFacts, p.cacheGeneration);

    for (std::size_t i = 0; i < p.windows.size(); ++i) {
        const Pending::Window& q = p.windows[i];
        WindowFacts& f = windows_[i];
        const unsigned windowFacts = p.asked[i];
        if (windowFacts & fact::kOwner) {
            f.netPid = firstCardinal(property(q.pid, f.exists, f.answered).value.get());
            f.leader = firstCardinal(property(q.leader, f.exists, f.answered).value.get()).value_or(XCB_WINDOW_NONE);
        }
        if (windowFacts & fact::kTitle) {
            auto netName = text(property(q.netName, f.exists, f.answered).value.get(), utf8);
            auto wmName = text(property(q.wmName, f.exists, f.answered).value.get(), utf8);
            f.title = netName ? *netName : wmName.value_or(std::string());
        }
        if (windowFacts & fact::kKind) {
            f.types = cardinals(property(q.type, f.exists, f.answered).value.get());
            f.transientFor =
                firstCardinal(property(q.transient, f.exists, f.answered).value.get()).value_or(XCB_WINDOW_NONE);
        }
        if (windowFacts & fact::kState) f.states = cardinals(property(q.state, f.exists, f.answered).value.get());
        if (windowFacts & fact::kGeometry) {
            auto geometry = conn.await<xcb_get_geometry_reply_t>(q.geometry, deadline);
            auto translate = conn.await<xcb_translate_coordinates_reply_t>(q.translate, deadline);
            for (ReplyStatus status : {geometry.status, translate.status}) {
                if (status == ReplyStatus::xError)
                    f.exists = false;
                else if (status != ReplyStatus::answered)
                    f.answered = false;
            }
            if (geometry && translate) {
                f.client = arvelo::Rect(translate->dst_x, translate->dst_y, geometry->width, geometry->height);
                f.borderWidth = geometry->border_width;
            }
        }
        if (windowFacts & fact::kExtents) {
            const auto extents = cardinals(property(q.extents, f.exists, f.answered).value.get());
            if (extents.size() >= 4) f.extents = FrameExtents::fromProperty(extents);
            const auto shadow = cardinals(property(q.shadow, f.exists, f.answered).value.get());
            if (shadow.size() >= 4) f.shadow = FrameExtents::fromProperty(shadow);
        }
        if (windowFacts & fact::kHints) {
            auto hints = property(q.hints, f.exists, f.answered);
            xcb_size_hints_t decoded{};
            if (hints && xcb_icccm_get_wm_size_hints_from_reply(&decoded, hints.value.get())) f.normalHints = decoded;
            auto allowed = property(q.allowed, f.exists, f.answered);
            if (allowed && allowed->type != XCB_ATOM_NONE) f.allowedActions = cardinals(allowed.value.get());
        }
        if (windowFacts & fact::kDesktop)
            f.desktop = firstCardinal(property(q.desktop, f.exists, f.answered).value.get());
        if (windowFacts & fact::kClass) {
            const auto parts = strings(property(q.wmClass, f.exists, f.answered).value.get(), utf8);
            if (!parts.empty()) f.instance = parts[0];
            if (parts.size() > 1) f.className = parts[1];
            f.gtkApplicationId = text(property(q.gtk, f.exists, f.answered).value.get(), utf8).value_or(std::string());
            f.kdeDesktopFile = text(property(q.kde, f.exists, f.answered).value.get(), utf8).value_or(std::string());
        }
        if (windowFacts & fact::kAttributes) {
            auto attributes = conn.await<xcb_get_window_attributes_reply_t>(q.attributes, deadline);
            if (attributes) {
                f.mapState = attributes->map_state;
                f.overrideRedirect = attributes->override_redirect != 0;
            } else if (attributes.status == ReplyStatus::xError) {
                f.exists = false;
            } else {
                f.answered = false;
            }
        }
        if (windowFacts & fact::kStrut) {
            auto partial = cardinals(property(q.strutPartial, f.exists, f.answered).value.get());
            auto plain = cardinals(property(q.strut, f.exists, f.answered).value.get());
            if (partial.size() >= 12)
                f.strut = std::move(partial);
            else if (plain.size() >= 4)
                f.strut = std::move(plain);
        }
        if (!f.exists)
            connection_.cache().forget(f.window);
        else
            connection_.cache().store(f, windowFacts, p.cacheGeneration);
    }
}

namespace {
// X resource ids use the low 29 bits.
constexpr std::uint32_t kResourceIdBits = 0x1FFFFFFFu;
}  // namespace

std::int32_t ownerPid(const WindowFacts& facts, const xcb_setup_t& setup) {
    if (facts.netPid && *facts.netPid > 0 && *facts.netPid <= 0x7FFFFFFFu)
        return static_cast<std::int32_t>(*facts.netPid);
    // A stand-in id for a client without a process id: the negated id base of the X client that
    // owns its leader (WM_CLIENT_LEADER), else of its own window. The leader is set by the
    // client and may hold anything: it counts only when it is a resource id (the server's 29
    // bits). A base is a multiple of the mask's range and non-zero for every client, so stand-in
    // ids lie in -1 .. -0x1FFFFFFF: below every real process id, and two clients never share one.
    const auto base = [&](xcb_window_t id) { return id & ~setup.resource_id_mask & kResourceIdBits; };
    const bool leaderCounts =
        facts.leader != XCB_WINDOW_NONE && (facts.leader & ~kResourceIdBits) == 0 && base(facts.leader) != 0;
    std::uint32_t stand = leaderCounts ? base(facts.leader) : base(facts.window);
    if (stand == 0) stand = facts.window & kResourceIdBits;
    if (stand == 0) stand = 1;
    return -static_cast<std::int32_t>(stand);
}

}  // namespace platform::x11
