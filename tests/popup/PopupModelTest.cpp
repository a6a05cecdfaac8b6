// SPDX-License-Identifier: MIT
#include "PopupModel.h"

#include <gtest/gtest.h>

namespace {

const QString LS = QString(QChar(0x2028));
const QString NBSP = QString(QChar(0xA0));

TEST(PopupModelTest, VariantsAreSplitTrimmedAndBlanksDropped)
{
    const std::pair<QString, QStringList> cases[] = {
        { "a\n---\nb\n---\nc", { "a", "b", "c" } },
        { "one\n\n  two  \nthree", { "one", "two", "three" } },
        { "foo --- bar", { "foo", "bar" } },
        { "---\na\n---\n---\nb\n---", { "a", "b" } },
        { "a\n----\nb", { "a", "-\nb" } },
        { "first line\nsecond line\n---\nother", { "first line\nsecond line", "other" } },
        { "", {} },
        { " \t\r\n " + NBSP + LS, {} },
        { "---\n---", {} },
        { "1---2---3---4---5", { "1", "2", "3", "4", "5" } },
        { "one" + LS + "two" + QChar(0x2029) + "three" + QChar(0x85) + "four",
            { "one", "two", "three", "four" } },
        { "a\vb\fc\r\nd", { "a", "b", "c", "d" } },
        { NBSP + QChar(0x3000) + "a" + NBSP + "\n---\n" + QChar(0x2003) + "b" + QChar(0x202F), { "a", "b" } },
        { "a b" + NBSP + "c", { "a b" + NBSP + "c" } },
        { QString(QChar(0x1F)) + "a" + QChar(0x200B), { QString(QChar(0x1F)) + "a" + QChar(0x200B) } },
        { QString::fromUtf8("😀\n---\n😀 b"), { QString::fromUtf8("😀"), QString::fromUtf8("😀 b") } },
    };
    for (const auto& [answer, expected] : cases)
        EXPECT_EQ(PopupModel::variants(answer), expected) << answer.toStdString();
}

} // namespace
