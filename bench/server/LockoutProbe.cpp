// SPDX-License-Identifier: MIT
// Lookup latency while other local clients hold connections open: IDLE
// connections that never send, and SLOW ones that send a request head a byte
// at a time. Loopback only, bounded in count and time.
//
//   server_lockout_probe PORT IDLE SLOW LOOKUPS
#include <httplib.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    // A refused connection would otherwise keep its descriptor for the whole probe.
    ::close(fd);
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s PORT IDLE SLOW LOOKUPS\n", argv[0]);
        return 2;
    }
    const int port = std::stoi(argv[1]);
    const int idle = std::clamp(std::stoi(argv[2]), 0, 4000);
    const int slow = std::clamp(std::stoi(argv[3]), 0, 256);
    const int lookups = std::clamp(std::stoi(argv[4]), 1, 1000);
    rlimit files {};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    std::vector<int> held;
    for (int i = 0; i < idle + slow; ++i)
        held.push_back(connectTo(port));
    const std::string head = "GET /lookup/house HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n";
    for (int i = idle; i < idle + slow; ++i)
        ::send(held[std::size_t(i)], head.data(), head.size(), MSG_NOSIGNAL);

    std::vector<double> latencies;
    int failures = 0;
    Clock::time_point lastTrickle = Clock::now();
    for (int i = 0; i < lookups; ++i) {
        if (Clock::now() - lastTrickle > std::chrono::seconds(1)) {
            for (int s = idle; s < idle + slow; ++s)
                ::send(held[std::size_t(s)], "X", 1, MSG_NOSIGNAL);
            lastTrickle = Clock::now();
        }
        // A fresh connection each time, as a client that arrives during the siege.
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(std::chrono::seconds(10));
        const auto start = Clock::now();
        const auto result = client.Get("/lookup/house?accent=uk");
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        failures += !result || result->status != 200;
    }
    const int refused = int(std::count(held.begin(), held.end(), -1));
    for (int fd : held)
        ::close(fd);
    std::sort(latencies.begin(), latencies.end());
    auto at = [&](double p) {
        return latencies[std::min(latencies.size() - 1, std::size_t(p * double(latencies.size())))];
    };
    std::printf("%d idle + %d slow connections (%d refused): %d lookups, %d failed; latency ms p50 %.2f  p99 "
                "%.2f  max %.2f\n",
        idle, slow, refused, lookups, failures, at(0.5), at(0.99), latencies.back());
    return failures == 0 ? 0 : 1;
}
