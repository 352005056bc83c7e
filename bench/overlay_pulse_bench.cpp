// SPDX-License-Identifier: GPL-3.0-or-later
// What the pulsing highlight costs while it is on screen: CPU time of this process over ten
// seconds of pulsing, in the shaped (no compositor) and the translucent mode. Run on a desktop
// (or tests/desktop/run-on-virtual-desktop.sh build/bench/overlay_pulse_bench).
#include "overlay/OverlayController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int seconds = 10;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void measure(bool composited)
{
    OverlayController overlay([composited] { return composited; });
    overlay.show(QRectF(300, 200, 120, 32), QStringLiteral("Open the File menu, then choose Open."),
                 QStringLiteral("menu bar item \u201CFile\u201D"));
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double used = cpuSeconds() - before;
    std::printf("%-12s %5.1f %% of one core over %lld ms\n", composited ? "translucent" : "shaped",
                100.0 * used / (wall.elapsed() / 1000.0), wall.elapsed());
    overlay.hide();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    measure(false);
    measure(true);
    return 0;
}
