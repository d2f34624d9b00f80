// SPDX-License-Identifier: MIT
// X11Screens: monitors read with the struts of every client, converted to screen space.
#include "Platform/X11/X11Screens.h"

#include "Platform/X11/ClientTable.h"
#include "Platform/X11/Monitors.h"
#include "Platform/X11/PropertyValue.h"

#include <algorithm>

namespace platform::x11 {

namespace {
constexpr double kReadTimeout = 0.5;
}  // namespace

X11Screens::X11Screens(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events)
    : connection_(std::move(connection)) {
    const xcb_atom_t workArea = connection_->ewmh()->_NET_WORKAREA;
    const xcb_window_t root = connection_->root();
    subscription_ = events->didReceive.connect([this, workArea, root](const std::vector<EventRecord>& batch) {
        const bool changed = std::any_of(batch.begin(), batch.end(), [&](const EventRecord& r) {
            return r.kind == EventRecord::Kind::screenChange ||
                   (r.kind == EventRecord::Kind::property && r.window == root && r.atom == workArea);
        });
        if (changed) {
            monitorsChanged_ = true;
            didChangeParameters.notify();
        }
    });
}

// The struts of the windows the window manager does not frame (a panel of its own, such as
// icewm's taskbar, is a mapped child of the root outside the client list), and its work area.
void X11Screens::readDesktopRoom(Deadline deadline, std::vector<Strut>& struts, std::optional<arvelo::Rect>& workArea) {
    xcb_connection_t* c = connection_->xcb();
    const xcb_ewmh_connection_t& e = *connection_->ewmh();
    const xcb_window_t root = connection_->root();
    const auto ask = [&](xcb_window_t w, xcb_atom_t a) {
        return xcb_get_property(c, 0, w, a, XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 12);
    };
    const auto treeCookie = xcb_query_tree(c, root);
    const auto areaCookie = ask(root, e._NET_WORKAREA);
    const auto desktopCookie = ask(root, e._NET_CURRENT_DESKTOP);
    auto tree = connection_->await<xcb_query_tree_reply_t>(treeCookie, deadline);
    auto area = connection_->await<xcb_get_property_reply_t>(areaCookie, deadline);
    auto desktop = connection_->await<xcb_get_property_reply_t>(desktopCookie, deadline);
    const auto values = cardinals(area.value.get());
    const std::size_t index = 4 * firstCardinal(desktop.value.get()).value_or(0);
    if (values.size() >= index + 4)
        workArea = arvelo::Rect(static_cast<std::int32_t>(values[index]), static_cast<std::int32_t>(values[index + 1]),
                                values[index + 2], values[index + 3]);
    if (!tree) return;
    struct Asked {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t partial, plain;
    };
    std::vector<Asked> asked;
    const xcb_window_t* children = xcb_query_tree_children(tree.value.get());
    const int count = xcb_query_tree_children_length(tree.value.get());
    for (int i = 0; i < count; ++i)
        asked.push_back({xcb_get_window_attributes(c, children[i]), ask(children[i], e._NET_WM_STRUT_PARTIAL),
                         ask(children[i], e._NET_WM_STRUT)});
    for (const Asked& a : asked) {
        auto attributes = connection_->await<xcb_get_window_attributes_reply_t>(a.attributes, deadline);
        auto partial = cardinals(connection_->await<xcb_get_property_reply_t>(a.partial, deadline).value.get());
        auto plain = cardinals(connection_->await<xcb_get_property_reply_t>(a.plain, deadline).value.get());
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
        // A change of its strut, or its going, then moves the fact cache's generation.
        connection_->follow(children[&a - asked.data()]);
        if (partial.size() >= 12)
            struts.push_back(std::move(partial));
        else if (plain.size() >= 4)
            struts.push_back(std::move(plain));
    }
}

std::vector<Screen> X11Screens::screens() {
    std::lock_guard lock(mutex_);
    // Taken before the reads: a change while they are out makes the next call read again.
    // Windows moving and this program's writes change no struts and no work area.
    const std::uint64_t generation = connection_->cache().roomChanges();
    const bool monitorsChanged = monitorsChanged_.exchange(false);
    if (kept_ && keptGeneration_ == generation && !monitorsChanged && !connection_->broken()) return *kept_;
    kept_.reset();
    const Deadline deadline = Deadline::in(kReadTimeout);
    const auto monitors = readMonitors(*connection_, deadline);
    if (monitors.empty()) return {};
    const ClientTable table = ClientTable::read(*connection_, 0, fact::kStrut, deadline);
    std::vector<Strut> struts;
    for (const WindowFacts& f : table.clients)
        if (!f.strut.empty()) struts.push_back(f.strut);
    std::optional<arvelo::Rect> workArea;
    readDesktopRoom(deadline, struts, workArea);
    // One rectangle cannot say which monitor a panel is on: with several monitors the struts
    // alone decide (a strut along the bottom of one would cut every monitor's work area).
    if (monitors.size() > 1) workArea.reset();
    const xcb_screen_t& s = connection_->screen();
    const arvelo::Rect whole(0, 0, s.width_in_pixels, s.height_in_pixels);
    const double primaryMaxY = monitors.front().frame.maxY();

    std::vector<Screen> out;
    for (const Monitor& m : monitors) {
        Screen screen;
        screen.number = m.nameAtom;
        screen.name = m.name;
        screen.frame = flipRect(m.frame, primaryMaxY);
        screen.visibleFrame = flipRect(withinWorkArea(visibleFrame(m.frame, struts, whole), workArea), primaryMaxY);
        out.push_back(screen);
    }
    kept_ = out;
    keptGeneration_ = generation;
    return out;
}

}  // namespace platform::x11
