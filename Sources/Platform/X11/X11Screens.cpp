// X11Screens: monitors read with the struts of every client, converted to screen space.
#include "Platform/X11/X11Screens.h"

#include "Platform/X11/ClientTable.h"
#include "Platform/X11/Monitors.h"

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
        if (changed) didChangeParameters.emit();
    });
}

std::vector<Screen> X11Screens::screens() {
    const Deadline deadline = Deadline::in(kReadTimeout);
    const auto monitors = readMonitors(*connection_, deadline);
    if (monitors.empty()) return {};
    const ClientTable table = ClientTable::read(*connection_, 0, fact::kStrut, deadline);
    std::vector<Strut> struts;
    for (const WindowFacts& f : table.clients)
        if (!f.strut.empty()) struts.push_back(f.strut);
    const xcb_screen_t& s = connection_->screen();
    const arvelo::Rect whole(0, 0, s.width_in_pixels, s.height_in_pixels);
    const double primaryMaxY = monitors.front().frame.maxY();

    std::vector<Screen> out;
    for (const Monitor& m : monitors) {
        Screen screen;
        screen.number = m.nameAtom;
        screen.name = m.name;
        screen.frame = flipRect(m.frame, primaryMaxY);
        screen.visibleFrame = flipRect(visibleFrame(m.frame, struts, whole), primaryMaxY);
        out.push_back(screen);
    }
    return out;
}

}  // namespace platform::x11
