// SPDX-License-Identifier: MIT
#include "AddressPolicy.h"

#include <gtest/gtest.h>

TEST(AddressPolicy, ClassifiesPrivateLoopbackAndLinkLocalRanges)
{
    const std::pair<const char*, AddressClass> cases[] = {
        // IPv4 private ranges and their edges
        { "10.0.0.0", AddressClass::Private },
        { "10.255.255.255", AddressClass::Private },
        { "9.255.255.255", AddressClass::Public },
        { "11.0.0.0", AddressClass::Public },
        { "172.16.0.1", AddressClass::Private },
        { "172.31.255.255", AddressClass::Private },
        { "172.15.255.255", AddressClass::Public },
        { "172.32.0.0", AddressClass::Public },
        { "192.168.0.1", AddressClass::Private },
        { "192.169.0.1", AddressClass::Public },
        { "100.64.0.1", AddressClass::Private },
        { "100.128.0.1", AddressClass::Public },
        { "169.254.169.254", AddressClass::LinkLocal }, // cloud metadata service
        { "169.253.0.1", AddressClass::Public },
        { "127.0.0.1", AddressClass::Loopback },
        { "127.0.0.2", AddressClass::Loopback },
        { "127.255.255.254", AddressClass::Loopback },
        { "0.0.0.0", AddressClass::Unspecified },
        { "224.0.0.1", AddressClass::Multicast },
        { "255.255.255.255", AddressClass::Reserved },
        { "192.0.2.10", AddressClass::Reserved },
        { "8.8.8.8", AddressClass::Public },
        { "151.101.1.69", AddressClass::Public },
        // IPv6
        { "::1", AddressClass::Loopback },
        { "::", AddressClass::Unspecified },
        { "fc00::1", AddressClass::Private },
        { "fdff:ffff::1", AddressClass::Private },
        { "fe80::1", AddressClass::LinkLocal },
        { "febf:ffff::1", AddressClass::LinkLocal },
        { "fec0::1", AddressClass::Private },
        { "ff02::1", AddressClass::Multicast },
        { "2001:db8::1", AddressClass::Reserved },
        { "2606:4700:4700::1111", AddressClass::Public },
        { "2a00:1450:4001:800::200e", AddressClass::Public },
        // IPv6 forms that reach an IPv4 address are judged by it
        { "::ffff:127.0.0.1", AddressClass::Loopback },
        { "::ffff:10.1.2.3", AddressClass::Private },
        { "::ffff:8.8.8.8", AddressClass::Public },
        { "64:ff9b::a9fe:a9fe", AddressClass::LinkLocal },
        { "2002:c0a8:0101::1", AddressClass::Private }, // 6to4 of 192.168.1.1
        { "2002:0808:0808::1", AddressClass::Public },
    };
    for (const auto& [text, expected] : cases) {
        const auto address = IpAddress::parse(text);
        ASSERT_TRUE(address) << text;
        EXPECT_EQ(AddressPolicy::classify(*address), expected)
            << text << " is " << AddressPolicy::name(AddressPolicy::classify(*address));
    }
}

TEST(AddressPolicy, ParsesOnlyCanonicalAddressForms)
{
    // Shorthands that some resolvers read as 127.0.0.1 must not parse as
    // literals; they are then host names, which the allow-list refuses.
    for (const char* text :
        { "2130706433", "0x7f.0.0.1", "127.1", "017700000001", "localhost", "", "1.2.3.4.5" })
        EXPECT_FALSE(IpAddress::parse(text)) << text;
    const auto bracketed = IpAddress::parse("[::1]");
    ASSERT_TRUE(bracketed);
    EXPECT_EQ(bracketed->family, IpAddress::Family::V6);
    EXPECT_EQ(bracketed->toString(), "::1");
    EXPECT_EQ(IpAddress::v4(10, 1, 2, 3).toString(), "10.1.2.3");
}
