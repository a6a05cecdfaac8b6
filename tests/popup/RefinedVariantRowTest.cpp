// SPDX-License-Identifier: MIT
#include "PopupViewTestSupport.h"

#include "MiniActionButton.h"
#include "RefinedVariantRow.h"

#include <QGuiApplication>

namespace {

class VariantRowTest : public PopupViewFixture {
protected:
    void SetUp() override
    {
        PopupViewFixture::SetUp();
        model.reset(QStringLiteral("draft"), PopupMode::refine, false);
        model.setRefined(QStringLiteral("first variant\n---\nsecond variant\nover two lines\n---\nthird"));
        model.setIsLoading(false);
        showWindow();
        QCursor::setPos(0, 0);
        ASSERT_TRUE(QTest::qWaitFor([] { return !QGuiApplication::overrideCursor(); }));
    }

    RefinedVariantRow* row(int index)
    {
        QList<RefinedVariantRow*> rows;
        for (RefinedVariantRow* candidate : view->findChildren<RefinedVariantRow*>()) {
            if (!candidate->isHidden())
                rows << candidate;
        }
        return index < rows.size() ? rows[index] : nullptr;
    }

    // Moves the real pointer, so the X server reports entering and leaving.
    static void pointAt(QWidget* widget, QPoint at) { QCursor::setPos(widget->mapToGlobal(at)); }

    bool hover(RefinedVariantRow* target)
    {
        pointAt(target, QPoint(target->width() / 4, target->height() / 2));
        return QTest::qWaitFor([target] { return target->isHovering(); });
    }

    static MiniActionButton* button(RefinedVariantRow* target, const char* name)
    {
        return target->findChild<MiniActionButton*>(QString::fromLatin1(name));
    }
};

TEST_F(VariantRowTest, ClickingAnywhereOnTheRowReplacesWithItsVariant)
{
    RefinedVariantRow* second = row(1);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->variant(), QStringLiteral("second variant\nover two lines"));
    EXPECT_EQ(second->toolTip(), QStringLiteral("Click to replace the selected text"));
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(4, second->height() - 4));
    QTest::mouseClick(second->findChild<QWidget*>(QStringLiteral("variantText")), Qt::LeftButton);
    EXPECT_EQ(replaced, QStringList({ "second variant\nover two lines", "second variant\nover two lines" }));
    EXPECT_TRUE(copied.isEmpty());
}

TEST_F(VariantRowTest, ToolbarButtonsReplaceAndCopyOnly)
{
    RefinedVariantRow* third = row(2);
    ASSERT_TRUE(hover(third));
    MiniActionButton* replace = button(third, "replaceButton");
    MiniActionButton* copy = button(third, "copyButton");
    ASSERT_TRUE(replace->isVisibleTo(view));
    EXPECT_EQ(replace->toolTip(), QStringLiteral("Replace the selected text"));
    EXPECT_EQ(copy->toolTip(), QStringLiteral("Copy"));

    QTest::mouseClick(replace, Qt::LeftButton);
    EXPECT_EQ(replaced, QStringList { QStringLiteral("third") });
    EXPECT_TRUE(copied.isEmpty());

    QTest::mouseClick(copy, Qt::LeftButton);
    EXPECT_EQ(copied, QStringList { QStringLiteral("third") });
    EXPECT_EQ(replaced.size(), 1) << "copy does not replace";
}

TEST_F(VariantRowTest, HoverShowsTheToolbarAtTheTopRightAndLeavingHidesIt)
{
    RefinedVariantRow* second = row(1);
    QWidget* toolbar = second->findChild<QWidget*>(QStringLiteral("variantToolbar"));
    EXPECT_FALSE(toolbar->isVisible());
    ASSERT_TRUE(hover(second));
    EXPECT_TRUE(toolbar->isVisible());
    EXPECT_EQ(toolbar->geometry().right(), second->width() - 1 - 2);
    EXPECT_EQ(toolbar->geometry().top(), 2);
    EXPECT_LT(button(second, "copyButton")->x(), button(second, "replaceButton")->x());
    EXPECT_GT(second->height(), toolbar->height() * 2) << "a two-line variant is taller than the toolbar";
    ASSERT_TRUE(QGuiApplication::overrideCursor());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);

    // Over the toolbar the row stays hovered; the button highlights itself.
    MiniActionButton* copy = button(second, "copyButton");
    pointAt(copy, copy->rect().center());
    EXPECT_TRUE(QTest::qWaitFor([copy] { return copy->isHovering(); }));
    EXPECT_TRUE(second->isHovering());
    EXPECT_FALSE(button(second, "replaceButton")->isHovering());

    pointAt(view, QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([second] { return !second->isHovering(); }));
    EXPECT_FALSE(toolbar->isVisible());
    EXPECT_FALSE(QGuiApplication::overrideCursor()) << "the hand is popped on leaving";
}

TEST_F(VariantRowTest, MovingBetweenRowsKeepsOneHandOnTheStack)
{
    ASSERT_TRUE(hover(row(0)));
    ASSERT_TRUE(hover(row(2)));
    EXPECT_FALSE(row(0)->isHovering());
    pointAt(view, QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([this] { return !row(2)->isHovering(); }));
    EXPECT_FALSE(QGuiApplication::overrideCursor());
}

TEST_F(VariantRowTest, ClosingThePopupUnderThePointerRestoresTheCursor)
{
    ASSERT_TRUE(hover(row(1)));
    ASSERT_TRUE(QGuiApplication::overrideCursor());
    window->hide();
    EXPECT_FALSE(QGuiApplication::overrideCursor());

    // A new answer replaces the rows while the pointer rests on one.
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(hover(row(0)));
    model.setRefined(QStringLiteral("new"));
    EXPECT_FALSE(QGuiApplication::overrideCursor());
}

} // namespace
