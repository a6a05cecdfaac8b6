// SPDX-License-Identifier: MIT
// How long the popup's state and view take for the work a user triggers:
// splitting a rewrite answer, redrawing after each model change, measuring
// the fitting size, and typing into the quick-translate field. Figures are
// printed, never asserted.
#include "PopupModel.h"
#include "PopupView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <functional>

namespace {

// Runs `work` `rounds` times and prints the mean per round.
void measure(const char* what, int rounds, const std::function<void()>& work)
{
    work(); // warm the caches (fonts, glyphs, symbol images)
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i)
        work();
    const double micros = timer.nsecsElapsed() / 1000.0 / rounds;
    std::printf("%-58s %10.1f us\n", what, micros);
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

const QString kAnswer = QStringLiteral(
    "I think we should have done it earlier, before the deadline moved.\n---\n"
    "In hindsight, we ought to have tackled this sooner; it would have saved us a week of rework.\n---\n"
    "We should've started on it earlier.");

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    measure("variants(from:) of a three-variant answer", 20000, [] { (void)PopupModel::variants(kAnswer); });
    const QString large = (kAnswer + QStringLiteral("\n---\n")).repeated(500);
    measure("variants(from:) of a 1,500-variant answer (~100 KB)", 20,
        [&] { (void)PopupModel::variants(large); });

    const long before = residentKilobytes();
    PopupModel model;
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    auto* view = new PopupView(&model, {}, {}, {}, {}, {});
    view->hostIn(&window, false);
    window.show();
    QCoreApplication::processEvents();
    std::printf(
        "%-58s %10ld KB\n", "resident memory of the view and its window", residentKilobytes() - before);

    measure("word lookup: reset, translation, entry, fitting size", 200, [&] {
        model.reset(QStringLiteral("serendipity"), PopupMode::translate, true);
        model.setTranslation(TranslationResult { QStringLiteral("serendipity"),
            QStringLiteral("счастливая случайность"), QStringLiteral("en"), QStringLiteral("ru") });
        model.setEntry(DictionaryEntry { QStringLiteral("serendipity"), QStringLiteral("uk"),
            QStringLiteral("ˌser.ənˈdɪp.ə.ti"), QStringLiteral("finding valuable things by chance"),
            QStringLiteral("https://a.example/s.mp3"), QStringLiteral("https://d.example/s") });
        model.setIsLoading(false);
        (void)view->fittingSize();
    });
    measure("refine: reset, three variant rows, fitting size", 200, [&] {
        model.reset(QStringLiteral("draft"), PopupMode::refine, false);
        model.setRefined(kAnswer);
        model.setIsLoading(false);
        (void)view->fittingSize();
        QCoreApplication::processEvents(); // deletes the rows of the previous round
    });

    model.reset(QString(), PopupMode::quickTranslate, false);
    model.setIsLoading(false);
    QString typed;
    measure("quick translate: one keystroke, its report and the refit", 500, [&] {
        typed += QLatin1Char(typed.size() % 6 == 5 ? ' ' : 'a');
        if (typed.size() > 120)
            typed.clear();
        model.setSourceText(typed);
        model.setIsLoading(true);
        QCoreApplication::processEvents();
        (void)view->fittingSize();
    });
    return 0;
}
