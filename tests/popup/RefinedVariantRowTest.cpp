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

TEST_F(VariantRowTest, TheRowAndItsReplaceButtonReplaceTheCopyButtonCopies)
{
    RefinedVariantRow* second = row(1);
    ASSERT_TRUE(second);
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(4, second->height() - 4));
    QTest::mouseClick(second->findChild<QWidget*>(QStringLiteral("variantText")), Qt::LeftButton);
    ASSERT_TRUE(hover(second));
    QTest::mouseClick(button(second, "replaceButton"), Qt::LeftButton);
    EXPECT_TRUE(copied.isEmpty());
    QTest::mouseClick(button(second, "copyButton"), Qt::LeftButton);
    const QString variant = QStringLiteral("second variant\nover two lines");
    EXPECT_EQ(replaced, QStringList({ variant, variant, variant }));
    EXPECT_EQ(copied, QStringList { variant });
}

TEST_F(VariantRowTest, HoverShowsTheToolbarAtTheTopRightWithOneHandCursor)
{
    RefinedVariantRow* second = row(1);
    QWidget* toolbar = second->findChild<QWidget*>(QStringLiteral("variantToolbar"));
    ASSERT_TRUE(hover(row(0)));
    ASSERT_TRUE(hover(second));
    EXPECT_FALSE(row(0)->isHovering());
    EXPECT_TRUE(toolbar->isVisible());
    EXPECT_EQ(toolbar->geometry().right(), second->width() - 1 - 2);
    EXPECT_EQ(toolbar->geometry().top(), 2);
    EXPECT_LT(button(second, "copyButton")->x(), button(second, "replaceButton")->x());
    // The toolbar lies over the text on a background of its own.
    const QImage shot = second->grab().toImage();
    const QPoint corner = toolbar->geometry().topLeft() + QPoint(2, toolbar->height() / 2);
    EXPECT_NE(shot.pixel(corner), shot.pixel(4, second->height() - 4));

    // Over the toolbar the row stays hovered; the button highlights itself.
    MiniActionButton* copy = button(second, "copyButton");
    pointAt(copy, copy->rect().center());
    EXPECT_TRUE(QTest::qWaitFor([copy] { return copy->isHovering(); }));
    EXPECT_TRUE(second->isHovering());
    ASSERT_TRUE(QGuiApplication::overrideCursor());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);

    pointAt(view, QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([second] { return !second->isHovering(); }));
    EXPECT_FALSE(toolbar->isVisible());
    EXPECT_FALSE(QGuiApplication::overrideCursor()) << "one hand pushed, one popped";
}

TEST_F(VariantRowTest, ClosingOrReplacingTheRowsUnderThePointerRestoresTheCursor)
{
    ASSERT_TRUE(hover(row(1)));
    window->hide();
    EXPECT_FALSE(QGuiApplication::overrideCursor());

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(hover(row(0)));
    model.setRefined(QStringLiteral("new"));
    EXPECT_FALSE(QGuiApplication::overrideCursor());
}

} // namespace
