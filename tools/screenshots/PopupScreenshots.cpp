// SPDX-License-Identifier: MIT
// Renders the popup in each of its main states to PNG files, for a person to
// look at. Run through scripts/screenshots, which provides a display.
//
//   popup_screenshots OUTPUT_FOLDER
#include "LookupError.h"
#include "PopupModel.h"
#include "PopupView.h"
#include "RefinedVariantRow.h"
#include "ScreenshotFolder.h"
#include "TranslucencySupport.h"
#include "X11Connection.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QTest>
#include <cstdio>
#include <functional>

namespace {

constexpr int kMargin = 24;

TranslationResult translation(const QString& text, const QString& translated)
{
    return { text, translated, QStringLiteral("en"), QStringLiteral("ru") };
}

DictionaryEntry entry(const QString& word, const QString& ipa, const QString& definition)
{
    return { word, QStringLiteral("uk"), ipa, definition,
        QStringLiteral("https://audio.example/%1.mp3").arg(word),
        QStringLiteral("https://dictionary.example/%1").arg(word) };
}

void openQuickTranslate(PopupModel& model)
{
    model.reset(QString(), PopupMode::quickTranslate, false);
    model.setIsLoading(false);
    model.setQuickTarget(QStringLiteral("en"));
    model.setFocusToken(model.focusToken() + 1);
}

struct State {
    const char* file;
    std::function<void(PopupModel&)> prepare;
    // Which variant row the pointer rests on, if any.
    int hoveredVariant = -1;
};

const std::vector<State>& states()
{
    static const std::vector<State> list = {
        { "01-word-lookup",
            [](PopupModel& m) {
                m.reset(QStringLiteral("serendipity"), PopupMode::translate, true);
                m.setTranslation(
                    translation(QStringLiteral("serendipity"), QStringLiteral("счастливая случайность")));
                m.setEntry(entry(QStringLiteral("serendipity"), QStringLiteral("ˌser.ənˈdɪp.ə.ti"),
                    QStringLiteral("the fact of finding interesting or valuable things by chance")));
                m.setIsLoading(false);
            } },
        { "02-sentence-translation",
            [](PopupModel& m) {
                const QString text
                    = QStringLiteral("The meeting has been moved to Thursday afternoon because "
                                     "half of the team is travelling.");
                m.reset(text, PopupMode::translate, false);
                m.setTranslation(translation(text,
                    QStringLiteral(
                        "Встречу перенесли на вечер четверга, потому что половина команды в поездке.")));
                m.setIsLoading(false);
            } },
        { "03-translate-loading",
            [](PopupModel& m) {
                m.reset(QStringLiteral("Good morning, everyone"), PopupMode::translate, false);
            } },
        { "04-refine-loading",
            [](PopupModel& m) {
                m.reset(QStringLiteral("i think we should of done it earlier"), PopupMode::refine, false);
            } },
        { "05-refine-variants-second-hovered",
            [](PopupModel& m) {
                m.reset(QStringLiteral("i think we should of done it earlier"), PopupMode::refine, false);
                m.setRefined(QStringLiteral("I think we should have done it earlier.\n---\n"
                                            "In hindsight, we ought to have done this sooner — it would have "
                                            "saved us a week of rework.\n---\n"
                                            "We should've tackled it earlier."));
                m.setIsLoading(false);
            },
            1 },
        { "06-error",
            [](PopupModel& m) {
                m.reset(QStringLiteral("Good morning, everyone"), PopupMode::translate, false);
                m.setErrorMessage(LookupError::backendUnreachable().message());
                m.setIsLoading(false);
            } },
        { "07-quick-empty", [](PopupModel& m) { openQuickTranslate(m); } },
        { "08-quick-loading",
            [](PopupModel& m) {
                openQuickTranslate(m);
                m.setSourceText(QStringLiteral("Привет, как дела?"));
                m.setIsLoading(true);
            } },
        { "09-quick-result-with-entry",
            [](PopupModel& m) {
                openQuickTranslate(m);
                m.setSourceText(QStringLiteral("кошка"));
                m.setTranslation(translation(QStringLiteral("кошка"), QStringLiteral("cat")));
                m.setEntry(entry(QStringLiteral("cat"), QStringLiteral("kæt"),
                    QStringLiteral("a small animal with fur, four legs and a tail that is kept as a pet")));
                m.setIsLoading(false);
            } },
        { "10-quick-error",
            [](PopupModel& m) {
                openQuickTranslate(m);
                m.setSourceText(QStringLiteral("Guten Morgen"));
                m.setErrorMessage(QStringLiteral("Server returned an unexpected response (HTTP 502)."));
                m.setIsLoading(false);
            } },
    };
    return list;
}

// A plain desktop behind the popup, so its rounded edge and border show.
void paintBackdrop(QPainter& painter, const QRect& area)
{
    QLinearGradient gradient(area.topLeft(), area.bottomRight());
    gradient.setColorAt(0, QColor(0x5b, 0x7d, 0xa6));
    gradient.setColorAt(1, QColor(0x8f, 0x6f, 0x9a));
    painter.fillRect(area, gradient);
}

bool render(const State& state, const QDir& folder, bool translucent)
{
    PopupModel model;
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    auto* view = new PopupView(&model, {}, {}, {}, {}, {});
    view->hostIn(&window, translucent);
    state.prepare(model);

    window.resize(view->fittingSize());
    window.move(120, 120);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "popup_screenshots: the window of %s was never shown\n", state.file);
        return false;
    }
    window.activateWindow();
    if (state.hoveredVariant >= 0) {
        QList<RefinedVariantRow*> rows = view->findChildren<RefinedVariantRow*>();
        if (state.hoveredVariant >= rows.size())
            return false;
        RefinedVariantRow* row = rows[state.hoveredVariant];
        QCursor::setPos(row->mapToGlobal(QPoint(row->width() / 3, row->height() / 2)));
        if (!QTest::qWaitFor([row] { return row->isHovering(); }, 2000)) {
            std::fprintf(stderr, "popup_screenshots: the pointer never reached the variant row\n");
            return false;
        }
    } else {
        QCursor::setPos(0, 0);
    }
    QTest::qWait(150);

    QPixmap shot(view->size() + QSize(2 * kMargin, 2 * kMargin));
    QPainter painter(&shot);
    paintBackdrop(painter, shot.rect());
    view->render(&painter, QPoint(kMargin, kMargin), QRegion(), QWidget::DrawChildren);
    painter.end();

    const QString path = folder.filePath(QString::fromLatin1(state.file) + QStringLiteral(".png"));
    if (!shot.save(path)) {
        std::fprintf(stderr, "popup_screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d popup)\n", qPrintable(path), view->width(), view->height());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::optional<QDir> output = screenshotFolder(argc, argv, "popup_screenshots");
    if (!output)
        return 1;
    const QDir& folder = *output;
    // As the popup will look on this desktop: translucent only where a
    // compositor blends it (a bare Xvfb has none).
    const auto x11 = X11Connection::open();
    const bool translucent = TranslucencySupport::createForSession(x11.get())->isAvailable();
    bool ok = true;
    for (const State& state : states())
        ok = render(state, folder, translucent) && ok;
    return ok ? 0 : 1;
}
