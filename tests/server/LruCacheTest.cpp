// SPDX-License-Identifier: MIT
#include "LruCache.h"

#include <gtest/gtest.h>
#include <string>

TEST(LruCache, BoundsCountAndCostForgettingTheLeastRecentlyUsed)
{
    LruCache<int, std::string> cache(3, 25);
    cache.put(1, "a", 10);
    cache.put(2, "b", 10);
    ASSERT_TRUE(cache.get(1)); // 1 is now the most recently used
    cache.put(3, "c", 10);
    EXPECT_EQ(cache.cost(), 20u);
    EXPECT_FALSE(cache.get(2));
    cache.put(3, "c2", 15); // replacing an entry replaces its cost
    EXPECT_EQ(cache.cost(), 25u);
    EXPECT_EQ(cache.get(3), "c2");

    cache.put(4, "huge", 26);
    EXPECT_FALSE(cache.get(4)) << "heavier than the whole bound";
    EXPECT_EQ(cache.get(1), "a") << "a refused entry evicts nothing";
    cache.put(1, "huge", 30);
    EXPECT_FALSE(cache.get(1)) << "a key replaced by a value too heavy forgets the old value";

    for (int i = 10; i < 20; ++i)
        cache.put(i, "x");
    EXPECT_EQ(cache.size(), 3u);
    EXPECT_EQ(cache.get(19), "x");
}
