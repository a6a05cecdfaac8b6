// SPDX-License-Identifier: MIT
#include "PopupViewTestSupport.h"

#include "QuickInputField.h"
#include "RefinedVariantRow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QLineEdit>
#include <QScrollBar>
#include <QUrl>
#include <set>

namespace {

// The selection layout's rows, in order.
const char* const kSelectionRows[]
    = { "wordHeader", "progressRow", "translation", "refinedSection", "definition", "errorMessage" };

struct SelectionCase {
    const char* name;
    std::function<void(PopupModel&)> prepare;
    std::set<std::string> visibleRows;
    std::set<std::string> visibleHeaderParts; // of transcription, speakerButton, dictionaryLink
    friend void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.name; }
};

class SelectionLayoutTest : public PopupViewFixture, public ::testing::WithParamInterface<SelectionCase> { };

TEST_P(SelectionLayoutTest, ShowsExactlyTheRowsWhoseConditionHolds)
{
    GetParam().prepare(model);
    for (const char* row : kSelectionRows)
        EXPECT_EQ(shown(row), GetParam().visibleRows.contains(row)) << row;
    for (const char* part : { "transcription", "speakerButton", "dictionaryLink" })
        EXPECT_EQ(shown(part), GetParam().visibleHeaderParts.contains(part)) << part;
    EXPECT_FALSE(shown("quickTranslateLayout"));
}

DictionaryEntry entryWith(std::function<void(DictionaryEntry&)> change)
{
    DictionaryEntry entry = PopupViewFixture::fullEntry();
    change(entry);
    return entry;
}

void lookedUp(PopupModel& model, std::optional<DictionaryEntry> entry)
{
    model.reset(QStringLiteral("run"), PopupMode::translate, true);
    model.setTranslation(PopupViewFixture::translationOf(QStringLiteral("run"), QStringLiteral("бежать")));
    model.setEntry(entry);
    model.setIsLoading(false);
}

INSTANTIATE_TEST_SUITE_P(States, SelectionLayoutTest,
    ::testing::Values(SelectionCase { "WordWithFullEntry",
                          [](PopupModel& m) { lookedUp(m, PopupViewFixture::fullEntry()); },
                          { "wordHeader", "translation", "definition" },
                          { "transcription", "speakerButton", "dictionaryLink" } },
        SelectionCase { "WordWhoseLookupFailed", [](PopupModel& m) { lookedUp(m, std::nullopt); },
            { "wordHeader", "translation" }, {} },
        SelectionCase { "EntryWithoutAudio",
            [](PopupModel& m) { lookedUp(m, entryWith([](DictionaryEntry& e) { e.audioUrl.reset(); })); },
            { "wordHeader", "translation", "definition" }, { "transcription", "dictionaryLink" } },
        SelectionCase { "EntryWithEmptyAudioAddressStillPlays",
            [](PopupModel& m) { lookedUp(m, entryWith([](DictionaryEntry& e) { e.audioUrl = QString(); })); },
            { "wordHeader", "translation", "definition" },
            { "transcription", "speakerButton", "dictionaryLink" } },
        SelectionCase { "EntryWithoutTranscriptionOrDefinition",
            [](PopupModel& m) {
                lookedUp(m, entryWith([](DictionaryEntry& e) {
                    e.ipa.reset();
                    e.definition.reset();
                }));
            },
            { "wordHeader", "translation" }, { "speakerButton", "dictionaryLink" } },
        SelectionCase { "WordStillLoading",
            [](PopupModel& m) { m.reset(QStringLiteral("run"), PopupMode::translate, true); },
            { "wordHeader", "progressRow" }, {} },
        SelectionCase { "SentenceLoading",
            [](PopupModel& m) { m.reset(QStringLiteral("two words"), PopupMode::translate, false); },
            { "progressRow" }, {} },
        SelectionCase { "SentenceTranslated",
            [](PopupModel& m) {
                m.reset(QStringLiteral("two words"), PopupMode::translate, false);
                m.setTranslation(PopupViewFixture::translationOf(
                    QStringLiteral("two words"), QStringLiteral("два слова")));
                m.setIsLoading(false);
            },
            { "translation" }, {} },
        SelectionCase { "FailedTranslationBesideAFoundEntry",
            [](PopupModel& m) {
                m.reset(QStringLiteral("run"), PopupMode::translate, true);
                m.setErrorMessage(QStringLiteral("Unknown backend error"));
                m.setEntry(PopupViewFixture::fullEntry());
                m.setIsLoading(false);
            },
            { "wordHeader", "definition", "errorMessage" },
            { "transcription", "speakerButton", "dictionaryLink" } },
        SelectionCase { "RefineLoading",
            [](PopupModel& m) { m.reset(QStringLiteral("draft"), PopupMode::refine, false); },
            { "progressRow" }, {} },
        SelectionCase { "RefinedVariants",
            [](PopupModel& m) {
                m.reset(QStringLiteral("draft"), PopupMode::refine, false);
                m.setRefined(QStringLiteral("a\n---\nb"));
                m.setIsLoading(false);
            },
            { "refinedSection" }, {} },
        SelectionCase { "RefineFailed",
            [](PopupModel& m) {
                m.reset(QStringLiteral("draft"), PopupMode::refine, false);
                m.setErrorMessage(QStringLiteral("Bad lookup URL"));
                m.setIsLoading(false);
            },
            { "errorMessage" }, {} }),
    [](const ::testing::TestParamInfo<SelectionCase>& info) { return std::string(info.param.name); });

using PopupViewTest = PopupViewFixture;

TEST_F(PopupViewTest, WordHeaderShowsTheCapturedWordAndTheTranscriptionUnchanged)
{
    model.reset(QStringLiteral("  Run\n"), PopupMode::translate, true);
    model.setEntry(fullEntry());
    EXPECT_EQ(text("headword"), QStringLiteral("Run"));
    EXPECT_EQ(text("transcription"), QStringLiteral("rʌn"));
    EXPECT_EQ(child("speakerButton")->toolTip(), QStringLiteral("Play pronunciation"));
    EXPECT_EQ(child("dictionaryLink")->toolTip(), QStringLiteral("Open in Cambridge Dictionary"));
    EXPECT_EQ(text("definition"), QStringLiteral("to move fast on foot"));
}

TEST_F(PopupViewTest, ProgressLineNamesTheWorkAndGoesWhenLoadingEnds)
{
    model.reset(QStringLiteral("draft"), PopupMode::refine, false);
    EXPECT_EQ(text("progressLabel"), QString::fromUtf8("Refining\u2026"));
    model.reset(QStringLiteral("text"), PopupMode::translate, false);
    EXPECT_EQ(text("progressLabel"), QString::fromUtf8("Translating\u2026"));
    model.setIsLoading(false);
    EXPECT_FALSE(shown("progressRow"));
}

TEST_F(PopupViewTest, WordTranslationIsLargerThanASentenceTranslation)
{
    lookedUp(model, fullEntry());
    const qreal wordSize = QFontInfo(child("translation")->font()).pixelSize();
    model.setIsWordMode(false);
    const qreal sentenceSize = QFontInfo(child("translation")->font()).pixelSize();
    EXPECT_GT(wordSize, sentenceSize);
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

TEST_F(PopupViewTest, ThreeVariantsMakeThreeRowsWithTwoDividersBetween)
{
    model.reset(QStringLiteral("draft"), PopupMode::refine, false);
    model.setRefined(QStringLiteral("first\n---\nsecond\n---\nthird"));
    QStringList order;
    const QWidget* section = child("refinedSection");
    for (QObject* object : section->children()) {
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget || widget->isHidden())
            continue;
        if (auto* row = qobject_cast<RefinedVariantRow*>(widget))
            order << row->variant();
        else if (widget->objectName() == QLatin1String("variantDivider"))
            order << QStringLiteral("|");
    }
    EXPECT_EQ(order, QStringList({ "first", "|", "second", "|", "third" }));

    model.setRefined(QStringLiteral("only"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int rows = 0;
    for (RefinedVariantRow* row : section->findChildren<RefinedVariantRow*>())
        rows += row->isHidden() ? 0 : 1;
    EXPECT_EQ(rows, 1) << "a new answer replaces the rows of the old one";
}

struct PageCase {
    const char* address;
    bool linked;
    friend void PrintTo(const PageCase& c, std::ostream* os) { *os << '"' << c.address << '"'; }
};

class DictionaryPageTest : public ::testing::TestWithParam<PageCase> { };

TEST_P(DictionaryPageTest, OnlyWebAddressesBecomeLinks)
{
    DictionaryEntry entry = PopupViewFixture::fullEntry();
    entry.pageUrl = QString::fromUtf8(GetParam().address);
    EXPECT_EQ(PopupView::dictionaryPage(entry).has_value(), GetParam().linked);
}

INSTANTIATE_TEST_SUITE_P(Addresses, DictionaryPageTest,
    ::testing::Values(PageCase { "https://dictionary.example/word/run", true },
        PageCase { "http://dictionary.example/run?q=1#x", true }, PageCase { "", false },
        PageCase { "not a url", false }, PageCase { "/dictionary/run", false },
        PageCase { "https://", false }, PageCase { "file:///etc/passwd", false },
        PageCase { "javascript:alert(1)", false }, PageCase { "https://exa mple.com/", false }));

// Receives the addresses the desktop is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

TEST_F(PopupViewTest, DictionaryLinkOpensTheEntrysOwnPage)
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    lookedUp(model, fullEntry());
    showWindow();
    QTest::mouseClick(child("dictionaryLink"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl(QStringLiteral("https://dictionary.example/run")));
}

TEST_F(PopupViewTest, SpeakerButtonsPlayTheEntry)
{
    lookedUp(model, fullEntry());
    showWindow();
    QTest::mouseClick(child("speakerButton"), Qt::LeftButton);
    EXPECT_EQ(played, 1);
    EXPECT_TRUE(copied.isEmpty());
}

struct WidthCase {
    PopupMode mode;
    int width;
    friend void PrintTo(const WidthCase& c, std::ostream* os) { *os << c.width; }
};

class PopupWidthTest : public PopupViewFixture, public ::testing::WithParamInterface<WidthCase> { };

TEST_P(PopupWidthTest, WidthIsFixedByModeWhateverTheTextLength)
{
    const QString longText
        = QStringLiteral("a rather long sentence that wraps over several lines ").repeated(8);
    const QString unbroken = QStringLiteral("https://example.com/") + QStringLiteral("x").repeated(300);
    const PopupMode mode = GetParam().mode;
    for (const QString& content : { QStringLiteral("hi"), longText, unbroken }) {
        if (mode == PopupMode::quickTranslate) {
            openQuickTranslate();
            model.setSourceText(content);
            model.setTranslation(translationOf(content, content));
        } else {
            model.reset(content, mode, false);
            model.setTranslation(translationOf(content, content));
            model.setRefined(content + QStringLiteral("\n---\n") + content);
            model.setIsLoading(false);
        }
        EXPECT_EQ(view->fittingSize().width(), GetParam().width);
        showWindow();
        EXPECT_EQ(view->width(), GetParam().width);
        EXPECT_EQ(window->width(), GetParam().width);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, PopupWidthTest,
    ::testing::Values(WidthCase { PopupMode::translate, 340 }, WidthCase { PopupMode::refine, 440 },
        WidthCase { PopupMode::quickTranslate, 380 }));

TEST_F(PopupViewTest, HeightFollowsTheTextAndShowsAllOfIt)
{
    model.reset(QStringLiteral("short"), PopupMode::translate, false);
    model.setTranslation(translationOf(QStringLiteral("short"), QStringLiteral("коротко")));
    model.setIsLoading(false);
    const int shortHeight = view->fittingSize().height();

    // A long text, and one without a single place to break a line.
    for (const QString& translated : { QStringLiteral("очень длинный перевод ").repeated(20),
             QStringLiteral("https://example.com/") + QStringLiteral("x").repeated(200) }) {
        model.setTranslation(translationOf(QStringLiteral("long"), translated));
        const int longHeight = view->fittingSize().height();
        EXPECT_GT(longHeight, shortHeight + 40);
        showWindow();
        auto* translation = child<WrappingText>("translation");
        EXPECT_EQ(view->height(), longHeight);
        EXPECT_GE(translation->height(), translation->heightForWidth(translation->width()))
            << "the whole text fits in its row";
        EXPECT_EQ(
            translation->document()->size().height(), translation->heightForWidth(translation->width()));
    }
}

TEST_F(PopupViewTest, CardIsPaddedAndRoundedWithAnOpaqueFallback)
{
    model.reset(QStringLiteral("x y"), PopupMode::translate, false);
    showWindow();
    EXPECT_EQ(child("selectionLayout")->geometry().topLeft(), QPoint(PopupView::padding, PopupView::padding));
    EXPECT_EQ(view->height() - child("selectionLayout")->geometry().bottom() - 1, PopupView::padding);
    EXPECT_FALSE(view->isTranslucent());
    EXPECT_FALSE(window->testAttribute(Qt::WA_TranslucentBackground));
    // Without an alpha channel the window itself takes the rounded shape.
    const QRegion mask = window->mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(view->width() - 1, view->height() - 1)));
    EXPECT_TRUE(mask.contains(QPoint(PopupView::cornerRadius, 1)));
    EXPECT_TRUE(mask.contains(QPoint(view->width() / 2, view->height() / 2)));

    const QImage image = view->grab().toImage();
    EXPECT_EQ(qAlpha(image.pixel(view->width() / 2, view->height() / 2)), 255) << "opaque";
}

TEST_F(PopupViewTest, TranslucentHostGetsAnAlphaChannelAndNoMask)
{
    QWidget host(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    PopupModel other;
    auto* translucent = new PopupView(&other, {}, {}, {}, {}, {});
    translucent->hostIn(&host, true);
    EXPECT_TRUE(host.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(translucent->isTranslucent());
    EXPECT_TRUE(host.mask().isEmpty());
}

// Quick-translate layout.

TEST_F(PopupViewTest, QuickTranslateShowsItsPanesAndThePlaceholder)
{
    openQuickTranslate();
    EXPECT_FALSE(shown("selectionLayout"));
    EXPECT_TRUE(shown("quickTranslateLayout"));
    EXPECT_EQ(text("sourcePaneLabel"), QStringLiteral("ANY LANGUAGE"));
    EXPECT_EQ(
        child<QPlainTextEdit>("inputField")->placeholderText(), QString::fromUtf8("Type to translate\u2026"));
    EXPECT_TRUE(shown("directionDivider"));
    EXPECT_EQ(child("targetButton")->toolTip(), QStringLiteral("Switch the result language (Tab)"));
    EXPECT_TRUE(shown("targetKeyCap"));
    EXPECT_FALSE(shown("quickProgressIndicator"));
    EXPECT_TRUE(shown("quickPlaceholder"));
    EXPECT_EQ(text("quickPlaceholder"), QStringLiteral("Translation appears here"));

    model.setIsLoading(true);
    EXPECT_TRUE(shown("quickProgressIndicator"));
}

TEST_F(PopupViewTest, QuickResultShowsTranslationFirstThenErrorThenPlaceholder)
{
    openQuickTranslate();
    model.setErrorMessage(QStringLiteral("failed"));
    EXPECT_TRUE(shown("quickError"));
    EXPECT_EQ(text("quickError"), QStringLiteral("failed"));
    EXPECT_FALSE(shown("quickPlaceholder"));

    model.setTranslation(translationOf(QStringLiteral("кошка"), QStringLiteral("cat")));
    EXPECT_FALSE(shown("quickError")) << "a translation hides the error";
    EXPECT_TRUE(shown("quickTranslationBox"));
    EXPECT_EQ(text("quickTranslation"), QStringLiteral("cat"));
    EXPECT_FALSE(shown("quickTranscription"));
    EXPECT_FALSE(shown("quickSpeakerButton"));
    EXPECT_FALSE(shown("quickDefinition"));
    EXPECT_TRUE(shown("quickCopyButton"));
    EXPECT_EQ(child("quickCopyButton")->toolTip(), QStringLiteral("Copy"));

    model.setEntry(fullEntry());
    EXPECT_EQ(text("quickTranscription"), QStringLiteral("rʌn"));
    EXPECT_TRUE(shown("quickSpeakerButton"));
    EXPECT_EQ(text("quickDefinition"), QStringLiteral("to move fast on foot"));
    EXPECT_EQ(view->findChildren<QWidget*>(QStringLiteral("dictionaryLink")).size(), 1)
        << "the quick result offers no dictionary link of its own";

    model.setTranslation(std::nullopt);
    model.setErrorMessage(std::nullopt);
    EXPECT_TRUE(shown("quickPlaceholder"));
}

TEST_F(PopupViewTest, QuickResultButtonsCopyTheTranslationAndPlay)
{
    openQuickTranslate();
    model.setSourceText(QStringLiteral("кошка"));
    model.setTranslation(translationOf(QStringLiteral("кошка"), QStringLiteral("cat")));
    model.setEntry(fullEntry());
    showWindow();
    QTest::mouseClick(child("quickCopyButton"), Qt::LeftButton);
    EXPECT_EQ(copied, QStringList { QStringLiteral("cat") });
    QTest::mouseClick(child("quickSpeakerButton"), Qt::LeftButton);
    EXPECT_EQ(played, 1);
    EXPECT_TRUE(replaced.isEmpty());
}

struct TargetCase {
    const char* code;
    const char* shown;
    friend void PrintTo(const TargetCase& c, std::ostream* os) { *os << '"' << c.code << '"'; }
};

class QuickTargetTest : public PopupViewFixture, public ::testing::WithParamInterface<TargetCase> { };

TEST_P(QuickTargetTest, TargetButtonReadsTheLanguageName)
{
    openQuickTranslate();
    model.setQuickTarget(QString::fromUtf8(GetParam().code));
    EXPECT_EQ(
        qobject_cast<QAbstractButton*>(child("targetButton"))->text(), QString::fromUtf8(GetParam().shown));
    EXPECT_EQ(text("targetLanguageLabel"), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Codes, QuickTargetTest,
    ::testing::Values(TargetCase { "en", "ENGLISH" }, TargetCase { "ru", "RUSSIAN" },
        TargetCase { "xx", "ENGLISH" }, TargetCase { "", "ENGLISH" }, TargetCase { "RU", "ENGLISH" },
        TargetCase { "zh-CN", "CHINESE (SIMPLIFIED)" }));

TEST_F(PopupViewTest, TargetButtonToggles)
{
    openQuickTranslate();
    showWindow();
    QTest::mouseClick(child("targetButton"), Qt::LeftButton);
    EXPECT_EQ(toggled, 1);
}

TEST_F(PopupViewTest, TypingReportsEveryChangeAndClearingReportsEmpty)
{
    openQuickTranslate();
    showWindow();
    window->activateWindow();
    auto* input = child<QuickInputField>("inputField");
    ASSERT_TRUE(QTest::qWaitFor([&] { return input->hasFocus(); }));
    QTest::keyClick(input, Qt::Key_A);
    QCoreApplication::processEvents();
    QTest::keyClick(input, Qt::Key_B);
    QCoreApplication::processEvents();
    EXPECT_EQ(inputs, QStringList({ "a", "ab" }));
    EXPECT_EQ(model.sourceText(), QStringLiteral("ab"));

    QTest::keyClick(input, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(input, Qt::Key_Backspace);
    QCoreApplication::processEvents();
    EXPECT_EQ(inputs, QStringList({ "a", "ab", "" }));
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
    EXPECT_EQ(child<QPlainTextEdit>("inputField")->toPlainText(), QStringLiteral("hello"));
    model.setSourceText(QStringLiteral("hello"));
    settle();
    EXPECT_EQ(inputs, QStringList { QStringLiteral("hello") }) << "an equal assignment is no change";

    openQuickTranslate();
    settle();
    EXPECT_EQ(inputs, QStringList({ "hello", "" })) << "the controller's reset empties the field";
    EXPECT_EQ(child<QPlainTextEdit>("inputField")->toPlainText(), QString());

    inputs.clear();
    model.setSourceText(QStringLiteral("typed"));
    model.reset(QStringLiteral("a selection"), PopupMode::translate, false);
    settle();
    openQuickTranslate();
    settle();
    EXPECT_TRUE(inputs.isEmpty()) << "a selection popup replacing quick translate is no input";
}

TEST_F(PopupViewTest, ChangesInOneTurnAreReportedOnceWithTheLastValue)
{
    openQuickTranslate();
    model.setSourceText(QStringLiteral("a"));
    model.setSourceText(QStringLiteral("ab"));
    EXPECT_TRUE(inputs.isEmpty()) << "not inline";
    QCoreApplication::processEvents();
    EXPECT_EQ(inputs, QStringList { QStringLiteral("ab") });
}

TEST_F(PopupViewTest, InputCallbackMayWriteTheModelAgain)
{
    // The controller answers every input by setting the loading state.
    PopupModel own;
    QStringList seen;
    QWidget host(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    auto* reentrant = new PopupView(&own, {}, {}, {},
        [&](const QString& text) {
            seen << text;
            own.setIsLoading(!text.isEmpty());
        },
        {});
    reentrant->hostIn(&host, false);
    own.reset(QString(), PopupMode::quickTranslate, false);
    own.setSourceText(QStringLiteral("a"));
    QCoreApplication::processEvents();
    own.setSourceText(QStringLiteral("ab"));
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, QStringList({ "a", "ab" }));
    EXPECT_TRUE(
        reentrant->findChild<QWidget*>(QStringLiteral("quickProgressIndicator"))->isVisibleTo(reentrant));
}

TEST_F(PopupViewTest, ReturnInsertsNothingButShiftReturnBreaksTheLine)
{
    openQuickTranslate();
    showWindow();
    auto* input = child<QuickInputField>("inputField");
    input->setFocus();
    QTest::keyClicks(input, QStringLiteral("a"));
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_EQ(model.sourceText(), QStringLiteral("a"));
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
    EXPECT_EQ(input->lineCount(input->width()), 1);

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

TEST_F(PopupViewTest, OpeningQuickTranslateFocusesTheFieldEveryTime)
{
    openQuickTranslate();
    showWindow();
    window->activateWindow();
    auto* input = child<QuickInputField>("inputField");
    ASSERT_TRUE(QTest::qWaitFor([&] { return input->hasFocus(); }));
    EXPECT_TRUE(view->inputFocused());

    // The popup closes; the user works elsewhere; the field has lost focus.
    input->clearFocus();
    window->hide();
    QWidget elsewhere;
    auto* field = new QLineEdit(&elsewhere);
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }));

    openQuickTranslate();
    EXPECT_FALSE(input->hasFocus()) << "the focus moves one event-loop turn later, not inline";
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return input->hasFocus(); }));
}

TEST_F(PopupViewTest, FocusTokenChangeFocusesOnTheNextTurn)
{
    openQuickTranslate();
    showWindow();
    window->activateWindow();
    auto* input = child<QuickInputField>("inputField");
    ASSERT_TRUE(QTest::qWaitFor([&] { return input->hasFocus(); }));
    input->clearFocus();
    ASSERT_FALSE(input->hasFocus());

    model.setFocusToken(model.focusToken() + 1);
    EXPECT_FALSE(input->hasFocus());
    QCoreApplication::processEvents();
    EXPECT_TRUE(input->hasFocus());
}

} // namespace

#include "PopupViewTest.moc"
