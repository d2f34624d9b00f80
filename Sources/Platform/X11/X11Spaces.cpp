// X11Spaces: _NET_CURRENT_DESKTOP and _NET_WM_DESKTOP, counted from 1.
#include "Platform/X11/X11Spaces.h"

#include "Platform/X11/ClientTable.h"
#include "Platform/X11/Monitors.h"

#include <algorithm>

namespace platform::x11 {

namespace {
constexpr double kReadTimeout = 0.25;
constexpr std::uint32_t kEveryDesktop = 0xFFFFFFFF;
}  // namespace

X11Spaces::X11Spaces(std::shared_ptr<Connection> connection, std::shared_ptr<EventHub> events)
    : connection_(std::move(connection)) {
    subscription_ = events->didReceive.connect([this](const std::vector<EventRecord>& batch) {
        if (std::any_of(batch.begin(), batch.end(),
                        [](const EventRecord& r) { return r.kind == EventRecord::Kind::screenChange; }))
            monitorsChanged_ = true;
    });
}

SpaceID X11Spaces::currentSpace(std::uint32_t screenNumber) {
    const Deadline deadline = Deadline::in(kReadTimeout);
    FactBatch batch(*connection_, rootfact::kDesktops, {}, 0);
    if (!monitors_ || monitorsChanged_ || connection_->broken()) {
        monitorsChanged_ = false;
        monitors_.reset();
        const auto monitors = readMonitors(*connection_, deadline);
        // An unanswered read (no monitor at all) is asked again next time.
        if (!monitors.empty()) {
            monitors_.emplace();
            for (const Monitor& m : monitors) monitors_->insert(m.nameAtom);
        }
    }
    const bool known = monitors_ && monitors_->contains(screenNumber);
    const auto& root = batch.root(deadline);
    if (!known || !root.currentDesktop) return 0;
    return SpaceID{*root.currentDesktop} + 1;
}

std::set<SpaceID> X11Spaces::spacesOfWindow(std::uint32_t windowNumber) {
    if (windowNumber == 0) return {};
    const ClientTable table = ClientTable::readSome(*connection_, rootfact::kDesktops, {windowNumber}, fact::kDesktop,
                                                    Deadline::in(kReadTimeout));
    const WindowFacts* facts = table.find(windowNumber);
    if (!facts || !table.root.isClient(windowNumber) || !facts->desktop) return {};
    if (*facts->desktop != kEveryDesktop) return {SpaceID{*facts->desktop} + 1};
    std::set<SpaceID> every;
    for (std::uint32_t d = 0; d < table.root.numberOfDesktops; ++d) every.insert(SpaceID{d} + 1);
    return every;
}

}  // namespace platform::x11
