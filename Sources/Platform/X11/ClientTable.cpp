// ClientTable: reads the client list, then every client's facts in one batch.
#include "Platform/X11/ClientTable.h"

#include <algorithm>

namespace platform::x11 {

namespace {
void take(ClientTable& table, const std::vector<WindowFacts>& facts, const xcb_setup_t& setup)
{
    for (const WindowFacts& f : facts) {
        table.answered = table.answered && f.answered;
        if (!f.exists)
            continue;
        table.clients.push_back(f);
        table.pids.push_back(ownerPid(f, setup));
    }
}
} // namespace

ClientTable ClientTable::read(Connection& connection, unsigned rootFacts, unsigned windowFacts, Deadline deadline)
{
    ClientTable table;
    {
        FactBatch first(connection, rootFacts | rootfact::kClients, {}, 0);
        table.root = first.root(deadline);
    }
    table.answered = table.root.answered;
    FactBatch second(connection, 0, table.root.clients, windowFacts | fact::kOwner);
    take(table, second.windows(deadline), *xcb_get_setup(connection.xcb()));
    return table;
}

ClientTable ClientTable::readSome(Connection& connection, unsigned rootFacts, const std::vector<xcb_window_t>& windows,
                                  unsigned windowFacts, Deadline deadline)
{
    ClientTable table;
    table.complete = false;
    FactBatch batch(connection, rootFacts | rootfact::kClients, windows, windowFacts | fact::kOwner);
    table.root = batch.root(deadline);
    table.answered = table.root.answered;
    take(table, batch.windows(deadline), *xcb_get_setup(connection.xcb()));
    return table;
}

const WindowFacts* ClientTable::find(xcb_window_t window) const
{
    for (const WindowFacts& f : clients)
        if (f.window == window)
            return &f;
    return nullptr;
}

std::int32_t ClientTable::pidOf(xcb_window_t window) const
{
    for (std::size_t i = 0; i < clients.size(); ++i)
        if (clients[i].window == window)
            return pids[i];
    return 0;
}

std::vector<std::size_t> ClientTable::frontToBack() const
{
    std::vector<std::size_t> order;
    order.reserve(clients.size());
    for (auto it = root.stacking.rbegin(); it != root.stacking.rend(); ++it)
        for (std::size_t i = 0; i < clients.size(); ++i)
            if (clients[i].window == *it)
                order.push_back(i);
    for (std::size_t i = 0; i < clients.size(); ++i)
        if (std::find(order.begin(), order.end(), i) == order.end())
            order.push_back(i);
    return order;
}

std::vector<std::size_t> ClientTable::clientsOf(std::int32_t pid) const
{
    std::vector<std::size_t> out;
    for (std::size_t i : frontToBack())
        if (pids[i] == pid)
            out.push_back(i);
    return out;
}

} // namespace platform::x11
