// SPDX-License-Identifier: MIT
#include "AddressPolicy.h"

#include <arpa/inet.h>
#include <cstring>

std::optional<IpAddress> IpAddress::parse(std::string_view text)
{
    std::string s(text);
    if (s.size() > 2 && s.front() == '[' && s.back() == ']')
        s = s.substr(1, s.size() - 2);
    IpAddress address;
    // inet_pton accepts only the dotted-quad form, so "0x7f.1" or "2130706433"
    // never parse as addresses here.
    if (inet_pton(AF_INET, s.c_str(), address.bytes.data()) == 1) {
        address.family = Family::V4;
        return address;
    }
    if (inet_pton(AF_INET6, s.c_str(), address.bytes.data()) == 1) {
        address.family = Family::V6;
        return address;
    }
    return std::nullopt;
}

IpAddress IpAddress::v4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    IpAddress address;
    address.bytes[0] = a;
    address.bytes[1] = b;
    address.bytes[2] = c;
    address.bytes[3] = d;
    return address;
}

std::string IpAddress::toString() const
{
    char buffer[INET6_ADDRSTRLEN] = {};
    inet_ntop(family == Family::V4 ? AF_INET : AF_INET6, bytes.data(), buffer, sizeof buffer);
    return buffer;
}

namespace {

bool inPrefix(const std::uint8_t* bytes, std::initializer_list<std::uint8_t> prefix, int bits)
{
    const std::uint8_t* p = prefix.begin();
    int whole = bits / 8;
    for (int i = 0; i < whole; ++i) {
        if (bytes[i] != p[i])
            return false;
    }
    int rest = bits % 8;
    if (rest == 0)
        return true;
    const std::uint8_t mask = std::uint8_t(0xff << (8 - rest));
    return (bytes[whole] & mask) == (p[whole] & mask);
}

AddressClass classifyV4(const std::uint8_t* b)
{
    struct Range {
        std::initializer_list<std::uint8_t> prefix;
        int bits;
        AddressClass cls;
    };
    static const Range ranges[] = {
        { { 0 }, 8, AddressClass::Unspecified }, // "this network"
        { { 10 }, 8, AddressClass::Private }, { { 100, 64 }, 10, AddressClass::Private }, // carrier-grade NAT
        { { 127 }, 8, AddressClass::Loopback }, { { 169, 254 }, 16, AddressClass::LinkLocal },
        { { 172, 16 }, 12, AddressClass::Private },
        { { 192, 0, 0 }, 24, AddressClass::Reserved }, // protocol assignments
        { { 192, 0, 2 }, 24, AddressClass::Reserved }, // documentation
        { { 192, 88, 99 }, 24, AddressClass::Reserved }, // 6to4 relay anycast
        { { 192, 168 }, 16, AddressClass::Private },
        { { 198, 18 }, 15, AddressClass::Reserved }, // benchmarking
        { { 198, 51, 100 }, 24, AddressClass::Reserved }, { { 203, 0, 113 }, 24, AddressClass::Reserved },
        { { 224 }, 4, AddressClass::Multicast },
        { { 240 }, 4, AddressClass::Reserved }, // includes 255.255.255.255
    };
    for (const Range& range : ranges) {
        if (inPrefix(b, range.prefix, range.bits))
            return range.cls;
    }
    return AddressClass::Public;
}

} // namespace

AddressClass AddressPolicy::classify(const IpAddress& address)
{
    const std::uint8_t* b = address.bytes.data();
    if (address.family == IpAddress::Family::V4)
        return classifyV4(b);

    static const std::uint8_t zero[16] = {};
    if (std::memcmp(b, zero, 16) == 0)
        return AddressClass::Unspecified;
    if (std::memcmp(b, zero, 15) == 0 && b[15] == 1)
        return AddressClass::Loopback;
    // Forms that carry an IPv4 address inside: judge the address they reach.
    if (inPrefix(b, { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff }, 96)) // ::ffff:a.b.c.d
        return classifyV4(b + 12);
    if (inPrefix(b, { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, 96)) // deprecated ::a.b.c.d
        return classifyV4(b + 12);
    if (inPrefix(b, { 0x00, 0x64, 0xff, 0x9b, 0, 0, 0, 0, 0, 0, 0, 0 }, 96)) // NAT64
        return classifyV4(b + 12);
    if (inPrefix(b, { 0x20, 0x02 }, 16)) // 6to4
        return classifyV4(b + 2);
    if (inPrefix(b, { 0xfc }, 7))
        return AddressClass::Private; // unique local
    if (inPrefix(b, { 0xfe, 0x80 }, 10))
        return AddressClass::LinkLocal;
    if (inPrefix(b, { 0xfe, 0xc0 }, 10))
        return AddressClass::Private; // deprecated site-local
    if (inPrefix(b, { 0xff }, 8))
        return AddressClass::Multicast;
    if (inPrefix(b, { 0x20, 0x01, 0x0d, 0xb8 }, 32))
        return AddressClass::Reserved; // documentation
    if (inPrefix(b, { 0x20, 0x01, 0x00, 0x00 }, 32))
        return AddressClass::Reserved; // Teredo hides the real peer
    if (inPrefix(b, { 0x01, 0x00, 0, 0, 0, 0, 0, 0 }, 64))
        return AddressClass::Reserved; // discard-only
    if (!inPrefix(b, { 0x20 }, 3))
        return AddressClass::Reserved; // outside global unicast 2000::/3
    return AddressClass::Public;
}

const char* AddressPolicy::name(AddressClass addressClass)
{
    switch (addressClass) {
    case AddressClass::Public:
        return "public";
    case AddressClass::Loopback:
        return "loopback";
    case AddressClass::Private:
        return "private";
    case AddressClass::LinkLocal:
        return "link-local";
    case AddressClass::Unspecified:
        return "unspecified";
    case AddressClass::Multicast:
        return "multicast";
    case AddressClass::Reserved:
        return "reserved";
    }
    return "reserved";
}
