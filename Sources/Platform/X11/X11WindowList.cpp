// X11WindowList: the root's children in stacking order, each frame mapped back to its client.
#include "Platform/X11/X11WindowList.h"

#include "Platform/X11/ApplicationIdentity.h"
#include "Platform/X11/ClientTable.h"

#include <algorithm>
#include <map>
#include <set>

namespace platform::x11 {

namespace {
constexpr double kReadTimeout = 0.5;
// Window managers nest a client at most a few windows below its frame.
constexpr int kMaxFrameDepth = 8;
constexpr unsigned kListedFacts = fact::kGeometry | fact::kTitle | fact::kKind | fact::kAttributes | fact::kClass;

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
                                                             Deadline deadline) {
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
            if (!tree) continue;
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
    return read(options).value_or(std::vector<WindowInfo>{});
}

std::optional<std::vector<WindowInfo>> X11WindowList::read(const WindowListOptions& options) {
    Connection& c = *connection_;
    const Deadline deadline = Deadline::in(kReadTimeout);
    const xcb_ewmh_connection_t& e = *c.ewmh();
    const auto rootTreeCookie = xcb_query_tree(c.xcb(), c.root());
    const ClientTable table = ClientTable::read(c, 0, kListedFacts, deadline);
    auto rootTree = c.await<xcb_query_tree_reply_t>(rootTreeCookie, deadline);
    if (!rootTree || !table.answered) return std::nullopt;
    const xcb_window_t* first = xcb_query_tree_children(rootTree.value.get());
    const std::vector<xcb_window_t> children(first, first + xcb_query_tree_children_length(rootTree.value.get()));

    std::vector<xcb_window_t> clients;
    for (const WindowFacts& f : table.clients) clients.push_back(f.window);
    std::map<xcb_window_t, std::size_t> clientOfTop;
    for (const auto& [client, top] : framesOf(clients, children, deadline))
        clientOfTop[top] = static_cast<std::size_t>(table.find(client) - table.clients.data());

    // Top-level windows that are no client's frame: unmanaged windows on screen (menus,
    // tooltips, panels that bypass the window manager) are listed as themselves.
    std::vector<xcb_window_t> others;
    for (xcb_window_t child : children)
        if (!clientOfTop.contains(child)) others.push_back(child);
    FactBatch otherAttributes(c, 0, others, fact::kAttributes);
    std::vector<xcb_window_t> unmanagedWindows;
    for (const WindowFacts& f : otherAttributes.windows(deadline))
        if (f.exists && f.overrideRedirect && f.mapState == XCB_MAP_STATE_VIEWABLE)
            unmanagedWindows.push_back(f.window);
    FactBatch unmanagedFacts(c, 0, unmanagedWindows, kListedFacts | fact::kOwner);
    std::map<xcb_window_t, const WindowFacts*> unmanaged;
    for (const WindowFacts& f : unmanagedFacts.windows(deadline))
        if (f.exists) unmanaged[f.window] = &f;
    const xcb_setup_t& setup = *xcb_get_setup(c.xcb());

    std::vector<WindowInfo> list;
    std::vector<bool> listed(table.clients.size(), false);
    const auto add = [&](const WindowFacts& f, std::int32_t pid) {
        const bool visible = f.mapState == XCB_MAP_STATE_VIEWABLE;
        if (options.onScreenOnly && !visible) return;
        if (options.excludeDesktopElements && f.hasType(e._NET_WM_WINDOW_TYPE_DESKTOP)) return;
        list.push_back(
            {f.window, pid, applicationName(f, pid).value_or(""), layerOf(f, e), f.frame(), f.title, visible});
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
    return list;
}

}  // namespace platform::x11
