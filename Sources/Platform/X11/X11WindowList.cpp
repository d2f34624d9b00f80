// SPDX-License-Identifier: MIT
// X11WindowList: the root's children in stacking order, each frame mapped back to its client.
#include "Platform/X11/X11WindowList.h"

#include "Platform/X11/ApplicationIdentity.h"
#include "Platform/X11/ClientTable.h"
#include "Platform/X11/TopLevel.h"

#include <algorithm>
#include <map>
#include <set>

namespace platform::x11 {

namespace {
constexpr double kReadTimeout = 0.5;
constexpr unsigned kListedFacts =
    fact::kGeometry | fact::kExtents | fact::kTitle | fact::kKind | fact::kAttributes | fact::kClass;

// The title strip: the top of the manager's frame (_NET_FRAME_EXTENTS). A window that draws
// its own decorations (a GTK header bar; its shadow is _GTK_FRAME_EXTENTS) says nothing of
// their height: unknown. A managed window with neither has no title strip.
std::optional<double> titleStripOf(const WindowFacts& facts) {
    if (facts.overrideRedirect) return 0.0;
    if (facts.extents.top > 0) return static_cast<double>(facts.extents.top);
    if (facts.shadow != FrameExtents{}) return std::nullopt;
    return 0.0;
}

std::int32_t layerOf(const WindowFacts& facts, const xcb_ewmh_connection_t& e) {
    if (facts.overrideRedirect) return kPopUpLayer;
    if (facts.hasType(e._NET_WM_WINDOW_TYPE_DOCK)) return kDockLayer;
    if (facts.hasType(e._NET_WM_WINDOW_TYPE_DESKTOP)) return kDesktopLayer;
    return 0;
}
}  // namespace

X11WindowList::X11WindowList(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events)
    : connection_(std::move(connection)) {
    const xcb_window_t root = connection_->root();
    const xcb_atom_t clients = connection_->ewmh()->_NET_CLIENT_LIST;
    subscription_ = events->didReceive.connect([this, root, clients](const std::vector<EventRecord>& batch) {
        // The frame may be mapped before or after the client list names its client; whichever
        // comes last, the reader looks then.
        const bool shown = std::any_of(batch.begin(), batch.end(), [&](const EventRecord& r) {
            return r.kind == EventRecord::Kind::map ||
                   (r.kind == EventRecord::Kind::property && r.window == root && r.atom == clients);
        });
        if (shown) windowDidAppear.notify();
        tellWatches(batch);
        for (const EventRecord& r : batch)
            if (r.kind == EventRecord::Kind::destroy) {
                windowDidClose.notify(r.window);
                // Its readers have forgotten it: the number may name a new window from now on.
                connection_->closureDelivered(r.window);
            }
    });
}

std::map<xcb_window_t, xcb_window_t> X11WindowList::framesOf(const std::vector<xcb_window_t>& clients,
                                                             const std::vector<xcb_window_t>& rootChildren,
                                                             Deadline deadline, bool& answered) {
    Connection& c = *connection_;
    const std::set<xcb_window_t> tops(rootChildren.begin(), rootChildren.end());
    std::map<xcb_window_t, xcb_window_t> frames;
    std::map<xcb_window_t, xcb_window_t> climbing;  // client -> the ancestor to ask about next
    {
        std::lock_guard lock(framesMutex_);
        for (xcb_window_t client : clients) {
            const auto known = frames_.find(client);
            if (known != frames_.end() && tops.contains(known->second))
                frames[client] = known->second;
            else
                climbing[client] = client;
        }
    }
    for (int depth = 0; depth < kMaxFrameDepth && !climbing.empty(); ++depth) {
        std::vector<std::pair<xcb_window_t, xcb_query_tree_cookie_t>> asked;
        for (const auto& [client, at] : climbing) asked.emplace_back(client, xcb_query_tree(c.xcb(), at));
        std::map<xcb_window_t, xcb_window_t> next;
        for (const auto& [client, cookie] : asked) {
            auto tree = c.await<xcb_query_tree_reply_t>(cookie, deadline);
            if (!tree) {
                answered = answered && tree.status == ReplyStatus::xError;
                continue;
            }
            if (tree->parent == c.root())
                frames[client] = climbing[client];
            else if (tree->parent != XCB_WINDOW_NONE)
                next[client] = tree->parent;
        }
        climbing.swap(next);
    }
    std::lock_guard lock(framesMutex_);
    frames_ = frames;
    return frames;
}

std::optional<std::uint64_t> X11WindowList::changeStamp() {
    if (connection_->broken()) return std::nullopt;
    return connection_->cache().generation() + connection_->cache().restacks();
}

std::vector<WindowInfo> X11WindowList::windows(const WindowListOptions& options) {
    return list(options).windows.value_or(std::vector<WindowInfo>{});
}

WindowListRead X11WindowList::readWindows(const WindowListOptions& options) {
    Listing listing = list(options);
    return {listing.windows.value_or(std::vector<WindowInfo>{}), listing.complete};
}

std::optional<std::vector<WindowInfo>> X11WindowList::read(const WindowListOptions& options) {
    return list(options).windows;
}

X11WindowList::Listing X11WindowList::list(const WindowListOptions& options) {
    Connection& c = *connection_;
    const Deadline deadline = Deadline::in(kReadTimeout);
    const xcb_ewmh_connection_t& e = *c.ewmh();
    const auto rootTreeCookie = xcb_query_tree(c.xcb(), c.root());
    const ClientTable table = ClientTable::read(c, 0, kListedFacts, deadline);
    auto rootTree = c.await<xcb_query_tree_reply_t>(rootTreeCookie, deadline);
    if (!rootTree || !table.answered) return {};
    bool complete = true;
    const xcb_window_t* first = xcb_query_tree_children(rootTree.value.get());
    const std::vector<xcb_window_t> children(first, first + xcb_query_tree_children_length(rootTree.value.get()));

    std::vector<xcb_window_t> clients;
    for (const WindowFacts& f : table.clients) clients.push_back(f.window);
    std::map<xcb_window_t, std::size_t> clientOfTop;
    for (const auto& [client, top] : framesOf(clients, children, deadline, complete))
        clientOfTop[top] = static_cast<std::size_t>(table.find(client) - table.clients.data());

    // Top-level windows that are no client's frame: unmanaged windows on screen (menus,
    // tooltips, panels that bypass the window manager) are listed as themselves.
    std::vector<xcb_window_t> others;
    for (xcb_window_t child : children)
        if (!clientOfTop.contains(child)) others.push_back(child);
    FactBatch otherAttributes(c, 0, others, fact::kAttributes);
    std::vector<xcb_window_t> unmanagedWindows;
    for (const WindowFacts& f : otherAttributes.windows(deadline)) {
        complete = complete && f.answered;
        if (f.exists && f.overrideRedirect && f.mapState == XCB_MAP_STATE_VIEWABLE) unmanagedWindows.push_back(f.window);
    }
    FactBatch unmanagedFacts(c, 0, unmanagedWindows, kListedFacts | fact::kOwner);
    std::map<xcb_window_t, const WindowFacts*> unmanaged;
    for (const WindowFacts& f : unmanagedFacts.windows(deadline)) {
        complete = complete && f.answered;
        if (f.exists) unmanaged[f.window] = &f;
    }
    const xcb_setup_t& setup = *xcb_get_setup(c.xcb());

    std::vector<WindowInfo> list;
    std::vector<bool> listed(table.clients.size(), false);
    const auto add = [&](const WindowFacts& f, std::int32_t pid) {
        const bool visible = f.mapState == XCB_MAP_STATE_VIEWABLE;
        if (options.onScreenOnly && !visible) return;
        if (options.excludeDesktopElements && f.hasType(e._NET_WM_WINDOW_TYPE_DESKTOP)) return;
        list.push_back({f.window, pid, applicationName(f, pid).value_or(""), layerOf(f, e), f.frame(), f.title, visible,
                        titleStripOf(f)});
    };
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if (auto client = clientOfTop.find(*child); client != clientOfTop.end()) {
            listed[client->second] = true;
            add(table.clients[client->second], table.pids[client->second]);
        } else if (auto other = unmanaged.find(*child); other != unmanaged.end()) {
            add(*other->second, ownerPid(*other->second, setup));
        }
    }
    for (std::size_t i = 0; i < table.clients.size(); ++i)
        if (!listed[i]) add(table.clients[i], table.pids[i]);
    return {std::move(list), complete};
}

WindowLookup X11WindowList::lookUp(std::uint32_t number) {
    Connection& c = *connection_;
    if (c.closing(number)) return {WindowLookup::Answer::destroyed, std::nullopt};
    const ClientTable table = ClientTable::readSome(c, 0, {number}, kListedFacts, Deadline::in(kReadTimeout));
    if (!table.answered) return {};
    const WindowFacts* facts = table.find(number);
    // The table leaves out a window the server answered BadWindow for.
    if (!facts) return {WindowLookup::Answer::destroyed, std::nullopt};
    if (!table.root.isClient(number)) return {WindowLookup::Answer::unlisted, std::nullopt};
    const std::int32_t pid = table.pidOf(number);
    const bool visible = facts->mapState == XCB_MAP_STATE_VIEWABLE;
    return {WindowLookup::Answer::listed,
            WindowInfo{number, pid, applicationName(*facts, pid).value_or(""), layerOf(*facts, *c.ewmh()),
                       facts->frame(), facts->title, visible, titleStripOf(*facts)}};
}

std::optional<Subscription> X11WindowList::watch(std::uint32_t number, std::function<void()> onChange) {
    Connection& c = *connection_;
    c.follow(number);
    // Some window managers move the frame without telling the client: the frame is followed too.
    const xcb_window_t frame = topLevelOf(c, number, Deadline::in(kReadTimeout)).value_or(XCB_WINDOW_NONE);
    if (frame != XCB_WINDOW_NONE && frame != number) c.follow(frame);
    c.flush();
    auto entry = std::make_shared<Watch>(Watch{number, frame, std::move(onChange)});
    std::erase_if(watches_, [](const std::weak_ptr<Watch>& w) { return w.expired(); });
    watches_.push_back(entry);
    return Subscription(entry);
}

void X11WindowList::tellWatches(const std::vector<EventRecord>& batch) {
    if (watches_.empty()) return;
    std::vector<std::weak_ptr<Watch>> concerned;
    for (const auto& weak : watches_) {
        const auto watch = weak.lock();
        if (!watch) continue;
        if (std::any_of(batch.begin(), batch.end(), [&](const EventRecord& r) {
                return r.window == watch->client || (watch->frame != XCB_WINDOW_NONE && r.window == watch->frame);
            }))
            concerned.push_back(weak);
    }
    // Each is told once per batch; a watch dropped by an earlier one's callback is not told.
    for (const auto& weak : concerned)
        if (const auto watch = weak.lock(); watch && watch->onChange) watch->onChange();
}

}  // namespace platform::x11
