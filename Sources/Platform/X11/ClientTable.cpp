// SPDX-License-Identifier: MIT
// ClientTable: reads the client list, then the clients' facts in one batch, and indexes them.
#include "Platform/X11/ClientTable.h"

namespace platform::x11 {

void ClientTable::take(std::vector<WindowFacts> facts, Connection& connection) {
    const xcb_setup_t& setup = *xcb_get_setup(connection.xcb());
    // Facts kept from earlier reads do not make a broken connection answer.
    answered = root.answered && !connection.broken();
    clients.reserve(facts.size());
    pids.reserve(facts.size());
    positions_.reserve(facts.size());
    for (WindowFacts& f : facts) {
        answered = answered && f.answered;
        // A window destroyed whose news is still on its way is gone already: its number may
        // name a new window that must not be taken for it.
        if (!f.exists || connection.closing(f.window)) continue;
        positions_[f.window] = clients.size();
        pids.push_back(ownerPid(f, setup));
        clients.push_back(std::move(f));
    }
    listed_.insert(root.clients.begin(), root.clients.end());
    std::vector<bool> placed(clients.size(), false);
    for (auto it = root.stacking.rbegin(); it != root.stacking.rend(); ++it) {
        const auto position = positions_.find(*it);
        if (position != positions_.end() && !placed[position->second]) {
            placed[position->second] = true;
            order_.push_back(position->second);
        }
    }
    for (std::size_t i = 0; i < clients.size(); ++i)
        if (!placed[i]) order_.push_back(i);
    for (const std::size_t i : order_) byPid_[pids[i]].push_back(i);
}

ClientTable ClientTable::read(Connection& connection, unsigned rootFacts, unsigned windowFacts, Deadline deadline) {
    ClientTable table;
    {
        FactBatch first(connection, rootFacts | rootfact::kClients, {}, 0);
        table.root = first.root(deadline);
    }
    FactBatch second(connection, 0, table.root.clients, windowFacts | fact::kOwner);
    table.take(second.takeWindows(deadline), connection);
    return table;
}

ClientTable ClientTable::readSome(Connection& connection, unsigned rootFacts, const std::vector<xcb_window_t>& windows,
                                  unsigned windowFacts, Deadline deadline, bool fresh) {
    ClientTable table;
    FactBatch batch(connection, rootFacts | rootfact::kClients, windows, windowFacts | fact::kOwner, fresh);
    table.root = batch.root(deadline);
    table.take(batch.takeWindows(deadline), connection);
    return table;
}

const WindowFacts* ClientTable::find(xcb_window_t window) const {
    const auto position = positions_.find(window);
    return position == positions_.end() ? nullptr : &clients[position->second];
}

std::int32_t ClientTable::pidOf(xcb_window_t window) const {
    const auto position = positions_.find(window);
    return position == positions_.end() ? 0 : pids[position->second];
}

const std::vector<std::size_t>& ClientTable::clientsOf(std::int32_t pid) const {
    static const std::vector<std::size_t> kNone;
    const auto it = byPid_.find(pid);
    return it == byPid_.end() ? kNone : it->second;
}

}  // namespace platform::x11
