// SPDX-License-Identifier: MIT
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
        const auto monitors = readMonitors(*connection_, deadline);
        // An unanswered read (no monitor at all) keeps the monitors read before and is asked
        // again next time.
        if (!monitors.empty()) {
            monitors_.emplace();
            for (const Monitor& m : monitors) monitors_->insert(m.nameAtom);
        } else {
            monitorsChanged_ = true;
        }
    }
    const bool known = monitors_ && monitors_->contains(screenNumber);
    const auto& root = batch.root(deadline);
    // A read that timed out says nothing of a desktop switch: the last desktop read stands.
    if (root.answered) lastDesktop_ = root.currentDesktop;
    if (!known || !lastDesktop_) return 0;
    return SpaceID{*lastDesktop_} + 1;
}

std::set<SpaceID> X11Spaces::spacesOfWindow(std::uint32_t windowNumber) {
    if (windowNumber == 0) return {};
    const std::uint64_t generation = connection_->cache().generation();
    {
        std::lock_guard lock(spacesMutex_);
        if (generation != spacesGeneration_) {
            spaces_.clear();
            spacesGeneration_ = generation;
        }
        if (const auto known = spaces_.find(windowNumber); known != spaces_.end()) return known->second;
    }
    const ClientTable table = ClientTable::readSome(*connection_, rootfact::kDesktops, {windowNumber}, fact::kDesktop,
                                                    Deadline::in(kReadTimeout));
    std::set<SpaceID> spaces;
    const WindowFacts* facts = table.find(windowNumber);
    if (facts && table.isClient(windowNumber) && facts->desktop) {
        if (*facts->desktop != kEveryDesktop) {
            spaces.insert(SpaceID{*facts->desktop} + 1);
        } else {
            for (std::uint32_t d = 0; d < table.root.numberOfDesktops; ++d) spaces.insert(SpaceID{d} + 1);
        }
    }
    // Kept only when read wholly under the generation it is filed under.
    if (table.answered && !connection_->closing(windowNumber)) {
        std::lock_guard lock(spacesMutex_);
        if (spacesGeneration_ == generation && connection_->cache().generation() == generation)
            spaces_[windowNumber] = spaces;
    }
    return spaces;
}

}  // namespace platform::x11
