// SPDX-License-Identifier: MIT
#include "AddressPolicy.h"

#include <gtest/gtest.h>
#include <vector>

TEST(AddressPolicy, ClassifiesPrivateLoopbackAndLinkLocalRanges)
{
    // Edges of each range, and IPv6 forms that reach an IPv4 address, judged by it.
    const std::pair<AddressClass, std::vector<const char*>> cases[] = {
        { AddressClass::Private,
            { "10.0.0.0", "10.255.255.255", "172.16.0.1", "172.31.255.255", "192.168.0.1", "100.64.0.1",
                "fc00::1", "fdff:ffff::1", "fec0::1", "::ffff:10.1.2.3", "2002:c0a8:0101::1" } },
        { AddressClass::Public,
            { "9.255.255.255", "11.0.0.0", "172.15.255.255", "172.32.0.0", "192.169.0.1", "100.128.0.1",
                "169.253.0.1", "8.8.8.8", "151.101.1.69", "2606:4700:4700::1111", "2a00:1450:4001:800::200e",
                "::ffff:8.8.8.8", "2002:0808:0808::1" } },
        { AddressClass::LinkLocal, { "169.254.169.254", "fe80::1", "febf:ffff::1", "64:ff9b::a9fe:a9fe" } },
        { AddressClass::Loopback,
            { "127.0.0.1", "127.0.0.2", "127.255.255.254", "::1", "::ffff:127.0.0.1" } },
        { AddressClass::Unspecified, { "0.0.0.0", "::" } },
        { AddressClass::Multicast, { "224.0.0.1", "ff02::1" } },
        { AddressClass::Reserved, { "255.255.255.255", "192.0.2.10", "2001:db8::1" } },
    };
    for (const auto& [expected, addresses] : cases) {
        for (const char* text : addresses) {
            const auto address = IpAddress::parse(text);
            ASSERT_TRUE(address) << text;
            EXPECT_EQ(AddressPolicy::classify(*address), expected)
                << text << " is " << AddressPolicy::name(AddressPolicy::classify(*address));
        }
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
