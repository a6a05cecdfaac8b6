// SPDX-License-Identifier: MIT
#include "ConnectionWatch.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// One end of a socket pair that the watch holds, and the peer's view of it.
struct Pair {
    int ours = -1, peer = -1;
    Pair()
    {
        int fds[2] = { -1, -1 };
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        ours = fds[0];
        peer = fds[1];
    }
    ~Pair()
    {
        ::close(ours);
        ::close(peer);
    }
    // Whether the watch shut our end down, waiting at most `ms` for it.
    bool shut(int ms = 0) const
    {
        pollfd p { peer, POLLIN, 0 };
        char byte;
        return ::poll(&p, 1, ms) == 1 && ::recv(peer, &byte, 1, MSG_DONTWAIT) == 0;
    }
};

} // namespace

TEST(ConnectionWatch, ClosesIdleConnectionsFirstAndRequestsPastTheirDeadline)
{
    ConnectionWatch watch({ std::chrono::minutes(1), std::chrono::milliseconds(300), 2 });
    Pair idle, reading, serving, fresh;
    auto* a = watch.opened(idle.ours);
    auto* b = watch.opened(reading.ours);
    watch.requestStarted(b);
    auto* c = watch.opened(serving.ours);
    watch.requestStarted(c);
    watch.requestReceived(c);
    // Three open, two allowed: the idle one goes first.
    EXPECT_TRUE(idle.shut());
    EXPECT_FALSE(reading.shut() || serving.shut());
    auto* d = watch.opened(fresh.ours);
    // No idle one left but the newcomer: a half-sent request goes before it.
    EXPECT_TRUE(reading.shut());
    watch.requestStarted(d);
    // A started request ends at its deadline; an answer in progress has none.
    EXPECT_TRUE(fresh.shut(5000));
    EXPECT_FALSE(serving.shut(400));
    for (auto* entry : { a, b, c, d })
        watch.closed(entry);
}
