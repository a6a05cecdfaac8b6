// SPDX-License-Identifier: MIT
#include "LruCache.h"

#include <gtest/gtest.h>
#include <string>

TEST(LruCache, KeepsTotalCostWithinItsBoundForgettingTheOldest)
{
    LruCache<int, std::string> cache(100, 25);
    cache.put(1, "a", 10);
    cache.put(2, "b", 10);
    ASSERT_TRUE(cache.get(1)); // 1 is now the most recently used
    cache.put(3, "c", 10);
    EXPECT_EQ(cache.size(), 2u);
    EXPECT_EQ(cache.cost(), 20u);
    EXPECT_TRUE(cache.get(1));
    EXPECT_FALSE(cache.get(2));
    EXPECT_TRUE(cache.get(3));

    // Replacing an entry replaces its cost too.
    cache.put(3, "c2", 15);
    EXPECT_EQ(cache.cost(), 25u);
    EXPECT_EQ(cache.get(3), "c2");
    EXPECT_TRUE(cache.get(1));
}

TEST(LruCache, KeepsNothingHeavierThanTheWholeBound)
{
    LruCache<int, std::string> cache(100, 25);
    cache.put(1, "small", 5);
    cache.put(2, "huge", 26);
    EXPECT_FALSE(cache.get(2));
    EXPECT_EQ(cache.get(1), "small") << "a refused entry evicts nothing";
    // A key replaced by a value too heavy to keep forgets the old value.
    cache.put(1, "huge", 30);
    EXPECT_FALSE(cache.get(1));
    EXPECT_EQ(cache.cost(), 0u);
}

TEST(LruCache, StillBoundsTheEntryCount)
{
    LruCache<int, int> cache(3);
    for (int i = 0; i < 10; ++i)
        cache.put(i, i);
    EXPECT_EQ(cache.size(), 3u);
    EXPECT_FALSE(cache.get(6));
    EXPECT_EQ(cache.get(9), 9);
}
