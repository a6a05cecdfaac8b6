// SPDX-License-Identifier: MIT
#include "ConnectionWatch.h"

#include <sys/socket.h>

using Clock = std::chrono::steady_clock;

// An entry is the slot's position in the list; list positions stay valid
// while other slots come and go.
class ConnectionWatch::Entry {
public:
    std::list<Slot>::iterator slot;
};

ConnectionWatch::ConnectionWatch(Limits limits)
    : m_limits(limits)
    , m_thread([this] { watch(); })
{
}

ConnectionWatch::~ConnectionWatch()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ConnectionWatch::shutDown(Slot& slot)
{
    // The owner sees the end of the stream and closes the connection itself,
    // so the descriptor is never closed under it.
    if (!slot.shut)
        ::shutdown(slot.fd, SHUT_RDWR);
    slot.shut = true;
}

ConnectionWatch::Entry* ConnectionWatch::opened(int fd)
{
    std::lock_guard lock(m_mutex);
    m_slots.push_back({ fd, State::Idle, Clock::now() + m_limits.idle, false });
    auto* entry = new Entry { std::prev(m_slots.end()) };
    evictLocked();
    return entry;
}

void ConnectionWatch::evictLocked()
{
    std::size_t open = 0;
    for (const Slot& slot : m_slots)
        open += slot.shut ? 0 : 1;
    // The newcomer, last in the list, is the one room is being made for.
    const auto newcomer = std::prev(m_slots.end());
    for (State state : { State::Idle, State::Reading }) {
        for (auto slot = m_slots.begin(); slot != newcomer; ++slot) {
            if (open <= m_limits.softLimit)
                return;
            if (!slot->shut && slot->state == state) {
                shutDown(*slot);
                --open;
            }
        }
    }
}

void ConnectionWatch::setLocked(Entry* entry, State state)
{
    Slot& slot = *entry->slot;
    slot.state = state;
    if (state == State::Idle)
        slot.deadline = Clock::now() + m_limits.idle;
    else if (state == State::Reading)
        slot.deadline = Clock::now() + m_limits.request;
}

void ConnectionWatch::requestStarted(Entry* entry)
{
    std::lock_guard lock(m_mutex);
    setLocked(entry, State::Reading);
}

void ConnectionWatch::requestReceived(Entry* entry)
{
    std::lock_guard lock(m_mutex);
    setLocked(entry, State::Serving);
}

void ConnectionWatch::answered(Entry* entry)
{
    std::lock_guard lock(m_mutex);
    setLocked(entry, State::Idle);
}

void ConnectionWatch::closed(Entry* entry)
{
    std::lock_guard lock(m_mutex);
    m_slots.erase(entry->slot);
    delete entry;
}

void ConnectionWatch::watch()
{
    const auto period = std::min<Clock::duration>(
        std::chrono::milliseconds(250), std::min(m_limits.idle, m_limits.request) / 4);
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, period, [this] { return m_stopping; })) {
        const auto now = Clock::now();
        for (Slot& slot : m_slots) {
            if (slot.state != State::Serving && slot.deadline <= now)
                shutDown(slot);
        }
    }
}
