// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <mutex>
#include <thread>

// Deadlines and eviction for the server's connections. A waiting connection
// costs the event loop nothing, so what a slow or idle client can hold is a
// descriptor, and these limits bound how long: a connection that has not
// started a request within `idle`, or has not delivered a started request
// (head and body) within `request`, is shut down, however steadily it
// trickles bytes. Above `softLimit` connections the oldest idle ones, then
// the oldest half-sent requests, are shut down, so new callers find room. Connections whose request is
// being answered are left alone. Safe to call from any thread.
class ConnectionWatch {
public:
    struct Limits {
        std::chrono::milliseconds idle { std::chrono::seconds(10) };
        std::chrono::milliseconds request { std::chrono::seconds(10) };
        std::size_t softLimit = 1800;
    };
    class Entry;

    explicit ConnectionWatch(Limits limits);
    ~ConnectionWatch();
    ConnectionWatch(const ConnectionWatch&) = delete;
    ConnectionWatch& operator=(const ConnectionWatch&) = delete;

    // `fd` stays the caller's; it must stay open until closed() is called.
    Entry* opened(int fd);
    void requestStarted(Entry* entry);
    void requestReceived(Entry* entry);
    void answered(Entry* entry);
    void closed(Entry* entry);

private:
    enum class State { Idle, Reading, Serving };
    struct Slot {
        int fd;
        State state;
        std::chrono::steady_clock::time_point deadline;
        bool shut;
    };
    void watch();
    void shutDown(Slot& slot);
    void evictLocked();
    void setLocked(Entry* entry, State state);

    Limits m_limits;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::list<Slot> m_slots; // oldest first
    bool m_stopping = false;
    std::thread m_thread;
};
