// X11WindowList: the root's children in stacking order, each frame mapped back to its client.
#include "Platform/X11/X11WindowList.h"

#include "Platform/X11/ApplicationIdentity.h"
#include "Platform/X11/ClientTable.h"

#include <map>

namespace platform::x11 {

namespace {
constexpr double kReadTimeout = 0.5;
// Window managers nest a client at most a few windows below its frame.
constexpr int kMaxFrameDepth = 8;
constexpr unsigned kListedFacts = fact::kGeometry | fact::kTitle | fact::kKind | fact::kAttributes | fact::kClass;

// For each window, its ancestor that is a child of the root (itself when it is one).
std::map<xcb_window_t, xcb_window_t> topLevelAncestors(Connection& connection, const std::vector<xcb_window_t>& windows,
                                                       Deadline deadline)
{
    std::map<xcb_window_t, xcb_window_t> tops;
    std::map<xcb_window_t, xcb_window_t> climbing;  // window -> the ancestor to ask about next
    for (xcb_window_t w : windows)
        climbing[w] = w;
    for (int depth = 0; depth < kMaxFrameDepth && !climbing.empty(); ++depth) {
        std::vector<std::pair<xcb_window_t, xcb_query_tree_cookie_t>> asked;
        for (const auto& [window, at] : climbing)
            asked.emplace_back(window, xcb_query_tree(connection.xcb(), at));
        std::map<xcb_window_t, xcb_window_t> next;
        for (const auto& [window, cookie] : asked) {
            auto tree = connection.await<xcb_query_tree_reply_t>(cookie, deadline);
            if (!tree)
                continue;
            if (tree->parent == connection.root())
                tops[window] = climbing[window];
            else if (tree->parent != XCB_WINDOW_NONE)
                next[window] = tree->parent;
        }
        climbing.swap(next);
    }
    return tops;
}

std::int32_t layerOf(const WindowFacts& facts, const xcb_ewmh_connection_t& e)
{
    if (facts.overrideRedirect)
        return kPopUpLayer;
    if (facts.hasType(e._NET_WM_WINDOW_TYPE_DOCK))
        return kDockLayer;
    if (facts.hasType(e._NET_WM_WINDOW_TYPE_DESKTOP))
        return kDesktopLayer;
    return 0;
}
} // namespace

std::vector<WindowInfo> X11WindowList::windows(const WindowListOptions& options)
{
    Connection& c = *connection_;
    const Deadline deadline = Deadline::in(kReadTimeout);
    const xcb_ewmh_connection_t& e = *c.ewmh();
    auto rootTree = c.await<xcb_query_tree_reply_t>(xcb_query_tree(c.xcb(), c.root()), deadline);
    const ClientTable table = ClientTable::read(c, 0, kListedFacts, deadline);
    if (!rootTree || !table.answered)
        return {};

    std::vector<xcb_window_t> clients;
    for (const WindowFacts& f : table.clients)
        clients.push_back(f.window);
    std::map<xcb_window_t, std::size_t> clientOfTop;
    for (const auto& [client, top] : topLevelAncestors(c, clients, deadline))
        clientOfTop[top] = static_cast<std::size_t>(table.find(client) - table.clients.data());

    // Top-level windows that are no client's frame: unmanaged windows, listed as themselves.
    const xcb_window_t* children = xcb_query_tree_children(rootTree.value.get());
    const int count = xcb_query_tree_children_length(rootTree.value.get());
    std::vector<xcb_window_t> others;
    for (int i = 0; i < count; ++i)
        if (!clientOfTop.contains(children[i]))
            others.push_back(children[i]);
    FactBatch otherFacts(c, 0, others, kListedFacts | fact::kOwner);
    std::map<xcb_window_t, const WindowFacts*> unmanaged;
    for (const WindowFacts& f : otherFacts.windows(deadline))
        if (f.exists && f.overrideRedirect)
            unmanaged[f.window] = &f;
    const xcb_setup_t& setup = *xcb_get_setup(c.xcb());

    std::vector<WindowInfo> list;
    std::vector<bool> listed(table.clients.size(), false);
    const auto add = [&](const WindowFacts& f, std::int32_t pid) {
        const bool visible = f.mapState == XCB_MAP_STATE_VIEWABLE;
        if (options.onScreenOnly && !visible)
            return;
        if (options.excludeDesktopElements && f.hasType(e._NET_WM_WINDOW_TYPE_DESKTOP))
            return;
        list.push_back({f.window, pid, applicationName(f, pid).value_or(""), layerOf(f, e), f.frame(), f.title,
                        visible});
    };
    for (int i = count - 1; i >= 0; --i) {
        if (auto client = clientOfTop.find(children[i]); client != clientOfTop.end()) {
            listed[client->second] = true;
            add(table.clients[client->second], table.pids[client->second]);
        } else if (auto other = unmanaged.find(children[i]); other != unmanaged.end()) {
            add(*other->second, ownerPid(*other->second, setup));
        }
    }
    for (std::size_t i = 0; i < table.clients.size(); ++i)
        if (!listed[i])
            add(table.clients[i], table.pids[i]);
    return list;
}

} // namespace platform::x11
