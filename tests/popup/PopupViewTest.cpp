// SPDX-License-Identifier: MIT
// The popup's view and its variant rows in a window on the run's display:
// real pointer moves, clicks and keys.
#include "PopupView.h"
#include "MiniActionButton.h"
#include "PopupCard.h"
#include "PopupModel.h"
#include "QuickInputField.h"
#include "RefinedVariantRow.h"
#include "SelectionLayout.h"
#include "WrappingText.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A popup view in a frameless window on the test display, with every
// callback recorded.
class PopupViewFixture : public ::testing::Test {
protected:
    PopupModel model;
    int played = 0;
    int toggled = 0;
    QStringList copied;
    QStringList replaced;
    QStringList inputs;
    std::unique_ptr<QWidget> window;
    PopupView* view = nullptr;

    void SetUp() override
    {
        window = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        view = new PopupView(
            &model, [this] { ++played; }, [this](const QString& text) { copied << text; },
            [this](const QString& text) { replaced << text; },
            [this](const QString& text) { inputs << text; }, [this] { ++toggled; });
        view->hostIn(window.get(), false);
    }

    void TearDown() override
    {
        window.reset();
        QCursor::setPos(0, 0);
    }

    // Sizes the window to the view and shows it, as the panel will.
    void showWindow()
    {
        window->resize(view->fittingSize());
        window->move(100, 100);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    template <typename T = QWidget> T* child(const char* name) const
    {
        return view->findChild<T*>(QString::fromLatin1(name));
    }

    bool shown(const char* name) const
    {
        const QWidget* widget = child(name);
        return widget && widget->isVisibleTo(view);
    }

    QString text(const char* name) const { return child<WrappingText>(name)->toPlainText(); }

    void openQuickTranslate()
    {
        model.reset(QString(), PopupMode::quickTranslate, false);
        model.setIsLoading(false);
        model.setQuickTarget(QStringLiteral("en"));
        model.setFocusToken(model.focusToken() + 1);
    }

    static DictionaryEntry fullEntry()
    {
        return { QStringLiteral("run"), QStringLiteral("uk"), QStringLiteral("rʌn"),
            QStringLiteral("to move fast on foot"), QStringLiteral("https://audio.example/run.mp3"),
            QStringLiteral("https://dictionary.example/run") };
    }

    static TranslationResult translationOf(const QString& text, const QString& translated)
    {
        return { text, translated, QStringLiteral("en"), QStringLiteral("ru") };
    }
};

using PopupViewTest = PopupViewFixture;

TEST_F(PopupViewTest, SelectionLayoutShowsExactlyTheRowsWhoseConditionHolds)
{
    const DictionaryEntry bare { "run", "uk", {}, {}, QString(), {} }; // an empty audio address still plays
    const std::optional<DictionaryEntry> full = fullEntry(), none;
    const char* const header = "wordHeader transcription speakerButton dictionaryLink ";
    struct Case {
        PopupMode mode;
        bool word, loading, translated, error;
        std::optional<DictionaryEntry> entry;
        QString shown;
    } const cases[] = {
        { PopupMode::translate, true, false, true, false, full, header + u"translation definition"_s },
        { PopupMode::translate, true, false, true, false, none, "wordHeader translation" },
        { PopupMode::translate, true, false, true, false, bare, "wordHeader speakerButton translation" },
        { PopupMode::translate, true, true, false, false, none, "wordHeader progressRow" },
        { PopupMode::translate, false, false, true, false, none, "translation" },
        { PopupMode::translate, true, false, false, true, full, header + u"errorMessage definition"_s },
        { PopupMode::refine, false, false, false, false, none, "refinedSection" },
    };
    for (const Case& c : cases) {
        model.reset(QStringLiteral("run"), c.mode, c.word);
        if (c.translated)
            model.setTranslation(translationOf(QStringLiteral("run"), QStringLiteral("бежать")));
        if (c.mode == PopupMode::refine)
            model.setRefined(QStringLiteral("a"));
        if (c.error)
            model.setErrorMessage(QStringLiteral("failed"));
        model.setEntry(c.entry);
        model.setIsLoading(c.loading);
        const QStringList expected = c.shown.split(' ', Qt::SkipEmptyParts);
        for (const char* part : { "wordHeader", "progressRow", "translation", "refinedSection", "definition",
                 "errorMessage", "transcription", "speakerButton", "dictionaryLink" })
            EXPECT_EQ(shown(part), expected.contains(part)) << c.shown.toStdString() << ": " << part;
    }
}

TEST_F(PopupViewTest, BackendTextIsShownLiterallyNeverAsMarkup)
{
    const QString hostile = QStringLiteral("<b>bold</b> &amp; <img src=\"file:///etc/passwd\">");
    model.reset(QStringLiteral("x y"), PopupMode::translate, false);
    model.setTranslation(translationOf(QStringLiteral("x y"), hostile));
    model.setErrorMessage(hostile);
    EXPECT_EQ(text("translation"), hostile);
    EXPECT_EQ(text("errorMessage"), hostile);
}

TEST(DictionaryPage, OnlyWebAddressesBecomeLinks)
{
    const std::pair<const char*, bool> cases[] = { { "https://dictionary.example/word/run", true },
        { "http://dictionary.example/run?q=1#x", true }, { "", false }, { "not a url", false },
        { "/dictionary/run", false }, { "https://", false }, { "file:///etc/passwd", false },
        { "javascript:alert(1)", false }, { "https://exa mple.com/", false } };
    for (const auto& [address, linked] : cases) {
        const DictionaryEntry entry { "run", "uk", {}, {}, {}, QString::fromUtf8(address) };
        EXPECT_EQ(SelectionLayout::dictionaryPage(entry).has_value(), linked) << address;
    }
}

TEST(PopupCard, RenderedOntoSomethingItLeavesItShowingOutsideTheRounding)
{
    for (const bool translucent : { false, true }) {
        PopupCard card;
        card.setTranslucent(translucent);
        card.resize(200, 120);
        QImage canvas(card.size(), QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::red);
        card.render(&canvas, {}, {}, QWidget::DrawChildren); // no window background
        EXPECT_EQ(canvas.pixel(0, 0), QColor(Qt::red).rgb()) << "translucent: " << translucent;
        EXPECT_EQ(canvas.pixel(199, 119), QColor(Qt::red).rgb()) << "translucent: " << translucent;
        EXPECT_NE(canvas.pixel(100, 60), QColor(Qt::red).rgb()) << "translucent: " << translucent;
    }
}

// Receives the addresses the desktop is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

TEST_F(PopupViewTest, ButtonsCallBackWithTheirArguments)
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    model.reset(QStringLiteral("run"), PopupMode::translate, true);
    model.setEntry(fullEntry());
    showWindow();
    QTest::mouseClick(child("dictionaryLink"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(recorder.opened, QList<QUrl> { QUrl(QStringLiteral("https://dictionary.example/run")) });
    QTest::mouseClick(child("speakerButton"), Qt::LeftButton);
    EXPECT_EQ(played, 1);

    openQuickTranslate();
    model.setTranslation(translationOf(QStringLiteral("кошка"), QStringLiteral("cat")));
    model.setEntry(fullEntry());
    showWindow();
    QTest::mouseClick(child("quickCopyButton"), Qt::LeftButton);
    QTest::mouseClick(child("quickSpeakerButton"), Qt::LeftButton);
    QTest::mouseClick(child("targetButton"), Qt::LeftButton);
    EXPECT_EQ(copied, QStringList { QStringLiteral("cat") });
    EXPECT_EQ(played, 2);
    EXPECT_EQ(toggled, 1);
}

TEST_F(PopupViewTest, WidthIsFixedByModeAndHeightShowsAllOfTheText)
{
    const QString longText = QStringLiteral("очень длинный перевод ").repeated(20);
    const QString unbroken = QStringLiteral("https://example.com/") + QStringLiteral("x").repeated(300);
    const std::pair<PopupMode, int> widths[]
        = { { PopupMode::translate, 340 }, { PopupMode::refine, 440 }, { PopupMode::quickTranslate, 380 } };
    for (const auto& [mode, width] : widths) {
        for (const QString& content : { QStringLiteral("hi"), longText, unbroken }) {
            if (mode == PopupMode::quickTranslate)
                openQuickTranslate();
            else
                model.reset(content, mode, false);
            model.setTranslation(translationOf(content, content));
            model.setRefined(content);
            model.setIsLoading(false);
            showWindow();
            EXPECT_EQ(window->width(), width);
            EXPECT_EQ(view->height(), view->fittingSize().height());
            if (mode != PopupMode::translate)
                continue;
            auto* translation = child<WrappingText>("translation");
            EXPECT_GE(translation->height(), translation->document()->size().height()) << "all of it shows";
        }
    }
}

TEST_F(PopupViewTest, QuickResultShowsTranslationFirstThenErrorThenPlaceholder)
{
    openQuickTranslate();
    EXPECT_TRUE(shown("quickPlaceholder"));

    model.setErrorMessage(QStringLiteral("failed"));
    EXPECT_EQ(text("quickError"), QStringLiteral("failed"));
    EXPECT_FALSE(shown("quickPlaceholder"));

    model.setTranslation(translationOf(QStringLiteral("кошка"), QStringLiteral("cat")));
    EXPECT_FALSE(shown("quickError")) << "a translation hides the error";
    EXPECT_EQ(text("quickTranslation"), QStringLiteral("cat"));
    model.setEntry(fullEntry());
    EXPECT_EQ(text("quickTranscription"), QStringLiteral("rʌn"));
    EXPECT_EQ(text("quickDefinition"), QStringLiteral("to move fast on foot"));

    model.setTranslation(std::nullopt);
    model.setErrorMessage(std::nullopt);
    EXPECT_TRUE(shown("quickPlaceholder"));
}

TEST_F(PopupViewTest, InputGrowsToFourLinesThenScrolls)
{
    openQuickTranslate();
    showWindow();
    auto* input = child<QuickInputField>("inputField");
    const int line = input->height();
    // Wrapped lines count too; beyond four the rest scrolls.
    const std::tuple<QString, int, bool> cases[] = { { "one\ntwo", 2, false },
        { "one\ntwo\nthree\nfour", 4, false }, { QStringLiteral("word ").repeated(200), 4, true } };
    for (const auto& [text, lines, scrolls] : cases) {
        model.setSourceText(text);
        window->resize(view->fittingSize());
        QCoreApplication::processEvents();
        EXPECT_NEAR(input->height(), lines * line, line / 2) << lines;
        EXPECT_EQ(input->verticalScrollBar()->maximum() > 0, scrolls) << lines;
    }
}

class VariantRowTest : public PopupViewFixture {
protected:
    void SetUp() override
    {
        PopupViewFixture::SetUp();
        model.reset(QStringLiteral("draft"), PopupMode::refine, false);
        model.setRefined(QStringLiteral("first variant\n---\nsecond variant\nover two lines\n---\nthird"));
        model.setIsLoading(false);
        showWindow();
    }

    RefinedVariantRow* row(int index) { return view->findChildren<RefinedVariantRow*>().value(index); }
    // Moves the real pointer, so the X server reports entering and leaving.
    static void pointAt(QWidget* widget, QPoint at) { QCursor::setPos(widget->mapToGlobal(at)); }
    bool hover(RefinedVariantRow* target)
    {
        pointAt(target, QPoint(target->width() / 4, target->height() / 2));
        return QTest::qWaitFor([target] { return target->isHovering(); });
    }
    static MiniActionButton* button(RefinedVariantRow* target, const char* name)
    {
        return target->findChild<MiniActionButton*>(QLatin1String(name));
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

    // Over the toolbar the row stays hovered.
    pointAt(button(second, "copyButton"), QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return button(second, "copyButton")->isHovering(); }));
    EXPECT_TRUE(second->isHovering());
    ASSERT_TRUE(QGuiApplication::overrideCursor());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);

    pointAt(view, QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([second] { return !second->isHovering(); }));
    EXPECT_FALSE(toolbar->isVisible());
    EXPECT_FALSE(QGuiApplication::overrideCursor()) << "one hand pushed, one popped";

    // Replacing the row under the pointer gives the cursor back too.
    ASSERT_TRUE(hover(row(0)));
    ASSERT_TRUE(QGuiApplication::overrideCursor());
    model.setRefined(QStringLiteral("new"));
    EXPECT_FALSE(QGuiApplication::overrideCursor());
}

} // namespace

#include "PopupViewTest.moc"
