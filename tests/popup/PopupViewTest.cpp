// SPDX-License-Identifier: MIT
#include "PopupViewTestSupport.h"

#include "QuickInputField.h"
#include "SelectionLayout.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QLineEdit>
#include <QScrollBar>
#include <QUrl>
#include <set>

namespace {

using PopupViewTest = PopupViewFixture;

void lookedUp(PopupModel& model, std::optional<DictionaryEntry> entry)
{
    model.reset(QStringLiteral("run"), PopupMode::translate, true);
    model.setTranslation(PopupViewFixture::translationOf(QStringLiteral("run"), QStringLiteral("бежать")));
    model.setEntry(entry);
    model.setIsLoading(false);
}

DictionaryEntry entryWith(const std::function<void(DictionaryEntry&)>& change)
{
    DictionaryEntry entry = PopupViewFixture::fullEntry();
    change(entry);
    return entry;
}

TEST_F(PopupViewTest, SelectionLayoutShowsExactlyTheRowsWhoseConditionHolds)
{
    struct Case {
        const char* what;
        std::function<void(PopupModel&)> prepare;
        std::set<std::string> shown; // rows and word-header parts
    };
    const Case cases[] = {
        { "word with a full entry", [](PopupModel& m) { lookedUp(m, PopupViewFixture::fullEntry()); },
            { "wordHeader", "translation", "definition", "transcription", "speakerButton",
                "dictionaryLink" } },
        { "word whose lookup failed", [](PopupModel& m) { lookedUp(m, std::nullopt); },
            { "wordHeader", "translation" } },
        { "entry with an empty audio address and nothing else",
            [](PopupModel& m) {
                lookedUp(m, entryWith([](DictionaryEntry& e) {
                    e = { "run", "uk", {}, {}, QString(), {} };
                }));
            },
            { "wordHeader", "translation", "speakerButton" } },
        { "word still loading",
            [](PopupModel& m) { m.reset(QStringLiteral("run"), PopupMode::translate, true); },
            { "wordHeader", "progressRow" } },
        { "sentence translated",
            [](PopupModel& m) {
                m.reset(QStringLiteral("x y"), PopupMode::translate, false);
                m.setTranslation(PopupViewFixture::translationOf(QStringLiteral("x y"), QStringLiteral("z")));
                m.setIsLoading(false);
            },
            { "translation" } },
        { "failed translation beside a found entry",
            [](PopupModel& m) {
                m.reset(QStringLiteral("run"), PopupMode::translate, true);
                m.setErrorMessage(QStringLiteral("Unknown backend error"));
                m.setEntry(PopupViewFixture::fullEntry());
                m.setIsLoading(false);
            },
            { "wordHeader", "definition", "errorMessage", "transcription", "speakerButton",
                "dictionaryLink" } },
        { "refined variants",
            [](PopupModel& m) {
                m.reset(QStringLiteral("draft"), PopupMode::refine, false);
                m.setRefined(QStringLiteral("a\n---\nb"));
                m.setIsLoading(false);
            },
            { "refinedSection" } },
    };
    for (const Case& c : cases) {
        c.prepare(model);
        for (const char* part : { "wordHeader", "progressRow", "translation", "refinedSection", "definition",
                 "errorMessage", "transcription", "speakerButton", "dictionaryLink" })
            EXPECT_EQ(shown(part), c.shown.contains(part)) << c.what << ": " << part;
        EXPECT_FALSE(shown("quickTranslateLayout"));
    }
}

TEST_F(PopupViewTest, ProgressLineNamesTheWork)
{
    model.reset(QStringLiteral("draft"), PopupMode::refine, false);
    EXPECT_EQ(text("progressLabel"), QString::fromUtf8("Refining\u2026"));
    model.reset(QStringLiteral("text"), PopupMode::translate, false);
    EXPECT_EQ(text("progressLabel"), QString::fromUtf8("Translating\u2026"));
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
        DictionaryEntry entry = PopupViewFixture::fullEntry();
        entry.pageUrl = QString::fromUtf8(address);
        EXPECT_EQ(SelectionLayout::dictionaryPage(entry).has_value(), linked) << address;
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
    lookedUp(model, fullEntry());
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
    EXPECT_TRUE(replaced.isEmpty());
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
            EXPECT_GE(translation->height(), translation->heightForWidth(translation->width()))
                << "the whole text fits in its row";
            EXPECT_EQ(
                translation->document()->size().height(), translation->heightForWidth(translation->width()));
        }
    }
}

TEST_F(PopupViewTest, AnOpaqueCardCutsTheWindowToItsRoundedShape)
{
    model.reset(QStringLiteral("x y"), PopupMode::translate, false);
    showWindow();
    EXPECT_EQ(child("selectionLayout")->geometry().topLeft(), QPoint(PopupView::padding, PopupView::padding));
    const QRegion mask = window->mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(view->width() - 1, view->height() - 1)));
    EXPECT_TRUE(mask.contains(QPoint(PopupView::cornerRadius, 1)));
    const QImage image = view->grab().toImage();
    EXPECT_EQ(qAlpha(image.pixel(view->width() / 2, 0)), 255) << "opaque up to the edge";
}

TEST_F(PopupViewTest, QuickResultShowsTranslationFirstThenErrorThenPlaceholder)
{
    openQuickTranslate();
    EXPECT_TRUE(shown("quickPlaceholder"));
    EXPECT_FALSE(shown("quickProgressIndicator"));
    model.setIsLoading(true);
    EXPECT_TRUE(shown("quickProgressIndicator"));

    model.setErrorMessage(QStringLiteral("failed"));
    EXPECT_EQ(text("quickError"), QStringLiteral("failed"));
    EXPECT_FALSE(shown("quickPlaceholder"));

    model.setTranslation(translationOf(QStringLiteral("кошка"), QStringLiteral("cat")));
    EXPECT_FALSE(shown("quickError")) << "a translation hides the error";
    EXPECT_EQ(text("quickTranslation"), QStringLiteral("cat"));
    EXPECT_FALSE(shown("quickTranscription"));
    EXPECT_FALSE(shown("quickDefinition"));
    model.setEntry(fullEntry());
    EXPECT_EQ(text("quickTranscription"), QStringLiteral("rʌn"));
    EXPECT_EQ(text("quickDefinition"), QStringLiteral("to move fast on foot"));

    model.setTranslation(std::nullopt);
    model.setErrorMessage(std::nullopt);
    EXPECT_TRUE(shown("quickPlaceholder"));
}

TEST_F(PopupViewTest, TargetButtonReadsTheLanguageName)
{
    openQuickTranslate();
    const std::pair<const char*, const char*> cases[]
        = { { "en", "ENGLISH" }, { "ru", "RUSSIAN" }, { "xx", "ENGLISH" }, { "RU", "ENGLISH" } };
    for (const auto& [code, name] : cases) {
        model.setQuickTarget(QString::fromUtf8(code));
        EXPECT_EQ(text("targetLanguageLabel"), QString::fromUtf8(name)) << code;
    }
}

TEST_F(PopupViewTest, TypingReportsEachTurnsLastValueAndClearingReportsEmpty)
{
    openQuickTranslate();
    showWindow();
    window->activateWindow();
    auto* input = child<QuickInputField>("inputField");
    ASSERT_TRUE(QTest::qWaitFor([&] { return input->hasFocus(); }));
    QTest::keyClick(input, Qt::Key_A);
    QCoreApplication::processEvents();
    QTest::keyClick(input, Qt::Key_B);
    QTest::keyClick(input, Qt::Key_C);
    EXPECT_EQ(inputs, QStringList { "a" }) << "not inline";
    QCoreApplication::processEvents();
    EXPECT_EQ(inputs, QStringList({ "a", "abc" }));

    QTest::keyClick(input, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(input, Qt::Key_Backspace);
    QCoreApplication::processEvents();
    EXPECT_EQ(inputs, QStringList({ "a", "abc", "" }));
    EXPECT_EQ(model.sourceText(), QString());
}

TEST_F(PopupViewTest, InputIsReportedForResetsButNotWhenTheLayoutAppears)
{
    const auto settle = [] { QCoreApplication::processEvents(); };
    model.reset(QStringLiteral("selected words"), PopupMode::translate, false);
    model.setSourceText(QStringLiteral("changed in the selection layout"));
    model.setMode(PopupMode::quickTranslate);
    settle();
    EXPECT_EQ(child<QPlainTextEdit>("inputField")->toPlainText(),
        QStringLiteral("changed in the selection layout"));
    EXPECT_TRUE(inputs.isEmpty()) << "neither the selection layout nor the appearance reports";

    model.setSourceText(QStringLiteral("hello"));
    settle();
    model.setSourceText(QStringLiteral("hello"));
    settle();
    EXPECT_EQ(inputs, QStringList { QStringLiteral("hello") }) << "an equal assignment is no change";

    openQuickTranslate();
    settle();
    EXPECT_EQ(inputs, QStringList({ "hello", "" })) << "the controller's reset empties the field";

    inputs.clear();
    model.setSourceText(QStringLiteral("typed"));
    model.reset(QStringLiteral("a selection"), PopupMode::translate, false);
    settle();
    openQuickTranslate();
    settle();
    EXPECT_TRUE(inputs.isEmpty()) << "a selection popup replacing quick translate is no input";
}

TEST_F(PopupViewTest, InputCallbackMayWriteTheModelAgain)
{
    PopupModel own;
    QStringList seen;
    QWidget host(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    auto* reentrant = new PopupView(&own, {}, {}, {},
        [&](const QString& text) {
            seen << text;
            own.setIsLoading(!text.isEmpty()); // as the controller does
        },
        {});
    reentrant->hostIn(&host, false);
    own.reset(QString(), PopupMode::quickTranslate, false);
    for (const char* text : { "a", "ab" }) {
        own.setSourceText(QString::fromLatin1(text));
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(seen, QStringList({ "a", "ab" }));
}

TEST_F(PopupViewTest, ReturnInsertsNothingButShiftReturnBreaksTheLine)
{
    openQuickTranslate();
    showWindow();
    auto* input = child<QuickInputField>("inputField");
    input->setFocus();
    QTest::keyClicks(input, QStringLiteral("a"));
    QTest::keyClick(input, Qt::Key_Return);
    QTest::keyClick(input, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(input, QStringLiteral("b"));
    EXPECT_EQ(model.sourceText(), QStringLiteral("a\nb"));
}

TEST_F(PopupViewTest, InputGrowsToFourLinesThenScrolls)
{
    openQuickTranslate();
    showWindow();
    auto* input = child<QuickInputField>("inputField");
    const int oneLine = input->height();
    model.setSourceText(QStringLiteral("one\ntwo"));
    fit();
    const int twoLines = input->height();
    EXPECT_GT(twoLines, oneLine + oneLine / 2);

    model.setSourceText(QStringLiteral("one\ntwo\nthree\nfour"));
    fit();
    const int fourLines = input->height();
    EXPECT_GT(fourLines, twoLines + oneLine);
    EXPECT_EQ(input->verticalScrollBar()->maximum(), 0);

    model.setSourceText(QStringLiteral("word ").repeated(200));
    fit();
    EXPECT_EQ(input->height(), fourLines) << "wrapped lines count too, up to four";
    EXPECT_GT(input->verticalScrollBar()->maximum(), 0) << "the rest scrolls";
}

TEST_F(PopupViewTest, EachOpeningFocusesTheFieldOneTurnLater)
{
    openQuickTranslate();
    showWindow();
    window->activateWindow();
    auto* input = child<QuickInputField>("inputField");
    ASSERT_TRUE(QTest::qWaitFor([&] { return input->hasFocus(); }));

    // The popup closes; the user works elsewhere.
    window->hide();
    QWidget elsewhere;
    auto* field = new QLineEdit(&elsewhere);
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }));

    window->show();
    window->activateWindow();
    input->clearFocus();
    openQuickTranslate();
    EXPECT_FALSE(input->hasFocus()) << "not inline";
    EXPECT_TRUE(QTest::qWaitFor([&] { return input->hasFocus(); }));
    EXPECT_TRUE(view->inputFocused());
}

} // namespace

#include "PopupViewTest.moc"
