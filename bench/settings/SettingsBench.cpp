// SPDX-License-Identifier: MIT
// What the settings window's two frequent actions cost on the main thread:
// a beep (a refused key while recording) and save(), which runs on every
// step of the volume slider while it is dragged.
//
//   settings_bench [--saves N]
#include "AppSettings.h"
#include "SoundThemeBeeper.h"
#include "X11Connection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double milliseconds(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const qsizetype savesAt = arguments.indexOf(QStringLiteral("--saves"));
    const int saves = savesAt > 0 && savesAt + 1 < arguments.size() ? arguments[savesAt + 1].toInt() : 500;

    const std::unique_ptr<X11Connection> x11 = X11Connection::open();
    SoundThemeBeeper beeper(x11.get());
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        beeper.beep();
        std::printf(
            "beep %d: %.3f ms%s\n", i + 1, milliseconds(timer), i == 0 ? " (opens the sound context)" : "");
    }

    QTemporaryDir dir;
    AppSettings settings(dir.filePath(QStringLiteral("settings.json")));
    std::vector<double> times;
    for (int i = 0; i < saves; ++i) {
        QElapsedTimer timer;
        timer.start();
        // The five writes of SettingsView::save() as one slider step makes
        // them: only the volume differs from what is stored.
        settings.setTargetLanguage(QStringLiteral("de"));
        settings.setAccent(QStringLiteral("uk"));
        settings.setAutoPlayPronunciation(true);
        settings.setPronunciationVolume(double(i % 1000) / 1000);
        settings.setRefinePrompt(AppSettings::defaultRefinePrompt());
        times.push_back(milliseconds(timer));
    }
    std::sort(times.begin(), times.end());
    std::printf("save(): median %.3f ms, p95 %.3f ms, max %.3f ms over %d\n", times[times.size() / 2],
        times[times.size() * 95 / 100], times.back(), saves);
    return 0;
}
