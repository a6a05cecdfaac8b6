// SPDX-License-Identifier: MIT
#include "NotificationCenter.h"

#include <gtest/gtest.h>

TEST(NotificationCenter, DeliversByNameSynchronouslyUntilTheContextDies)
{
    NotificationCenter center;
    QStringList seen;
    auto context = std::make_unique<QObject>();
    center.observe("sorvantel.a", context.get(), [&] { seen << "a"; });
    center.observe("sorvantel.b", context.get(), [&] { seen << "b"; });

    center.post("sorvantel.a");
    EXPECT_EQ(seen, QStringList { "a" }) << "delivered before post returns";
    center.post("sorvantel.c");
    center.post("sorvantel.b");
    EXPECT_EQ(seen, (QStringList { "a", "b" }));

    context.reset();
    center.post("sorvantel.a");
    EXPECT_EQ(seen, (QStringList { "a", "b" }));
}
