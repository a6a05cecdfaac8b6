// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// An IPv4 or IPv6 address as raw bytes (IPv4 in the first four).
struct IpAddress {
    enum class Family { V4, V6 };
    Family family = Family::V4;
    std::array<std::uint8_t, 16> bytes {};

    static std::optional<IpAddress> parse(std::string_view text);
    static IpAddress v4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d);
    std::string toString() const;
};

// Where an address points, as far as fetching on a user's behalf goes.
enum class AddressClass {
    Public,
    Loopback,
    Private, // RFC 1918, carrier-grade NAT, unique-local IPv6, site-local
    LinkLocal,
    Unspecified,
    Multicast,
    Reserved, // documentation, benchmarking, broadcast, future use, tunnels we cannot see through
};

// Pure classification of addresses; the relay fetches only from Public ones.
class AddressPolicy {
public:
    static AddressClass classify(const IpAddress& address);
    static bool isPublic(const IpAddress& address) { return classify(address) == AddressClass::Public; }
    static const char* name(AddressClass addressClass);
};
