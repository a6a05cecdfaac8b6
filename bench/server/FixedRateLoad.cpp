// SPDX-License-Identifier: MIT
// Open-loop load at a fixed request rate (wrk in Debian has no fixed-rate
// mode). Each request has a scheduled start; its latency is measured from
// that start, so a server that falls behind is charged for the queueing too.
//
//   server_fixed_rate_load URL WORDS_FILE RATE SECONDS CONNECTIONS
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s URL WORDS_FILE RATE SECONDS CONNECTIONS\n", argv[0]);
        return 2;
    }
    const std::string url = argv[1];
    std::vector<std::string> words;
    std::ifstream file(argv[2]);
    for (std::string word; std::getline(file, word);) {
        if (!word.empty())
            words.push_back(word);
    }
    const double rate = std::stod(argv[3]);
    const double seconds = std::min(std::stod(argv[4]), 120.0); // bounded on purpose
    const int connections = std::clamp(std::stoi(argv[5]), 1, 64);
    if (words.empty() || rate <= 0) {
        std::fprintf(stderr, "no words or no rate\n");
        return 2;
    }
    const long total = long(rate * seconds);
    const auto interval = std::chrono::duration<double>(1.0 / rate);
    const Clock::time_point start = Clock::now() + std::chrono::milliseconds(100);

    std::vector<std::vector<double>> latencies(static_cast<std::size_t>(connections));
    std::atomic<long> errors { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < connections; ++t) {
        threads.emplace_back([&, t] {
            httplib::Client client(url);
            client.set_keep_alive(true);
            client.set_read_timeout(std::chrono::seconds(10));
            for (long i = t; i < total; i += connections) {
                const auto scheduled
                    = start + std::chrono::duration_cast<Clock::duration>(interval * double(i));
                std::this_thread::sleep_until(scheduled);
                const auto& word = words[std::size_t(i) % words.size()];
                const auto result = client.Get("/lookup/" + word + "?accent=" + (i % 2 ? "us" : "uk"));
                const auto done = Clock::now();
                if (!result || (result->status != 200 && result->status != 404))
                    ++errors;
                latencies[std::size_t(t)].push_back(
                    std::chrono::duration<double, std::milli>(done - scheduled).count());
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    std::vector<double> all;
    for (const auto& part : latencies)
        all.insert(all.end(), part.begin(), part.end());
    std::sort(all.begin(), all.end());
    auto at = [&](double p) { return all[std::min(all.size() - 1, std::size_t(p * double(all.size())))]; };
    std::printf("requests %zu in %.1f s (%.0f/s achieved, %.0f/s asked), errors %ld\n", all.size(), elapsed,
        double(all.size()) / elapsed, rate, errors.load());
    std::printf("latency ms: p50 %.3f  p90 %.3f  p99 %.3f  p99.9 %.3f  max %.3f\n", at(0.50), at(0.90),
        at(0.99), at(0.999), all.back());
    return errors.load() == 0 ? 0 : 1;
}
