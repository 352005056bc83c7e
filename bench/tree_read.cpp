// SPDX-License-Identifier: GPL-3.0-or-later
// What one accessibility read of a running application costs and finds: the nodes asked about,
// the batches, the time, and the elements listed (LIST=1 prints them). For big trees (a long web
// page, a long document), run against the application as it is on screen:
//   tests/desktop/run-on-virtual-desktop.sh build/bench/tree_read <pid>
// or give a command to start and a number of seconds to let it settle:
//   SETTLE=8 build/bench/tree_read -- libreoffice --writer long.odt
// ROUNDS=<n> sets the rounds (5).
#include "CountingAccessibility.h"
#include "observe/AccessibilityReader.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/x11/X11AtspiGeometry.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

int settingOr(const char* name, int fallback)
{
    const int value = qEnvironmentVariableIntValue(name);
    return value > 0 ? value : fallback;
}

void printElements(const AXSnapshot& snapshot)
{
    for (const GuideElement& e : snapshot.elements) {
        std::printf("  %-22s %-40s %5.0f,%5.0f %4.0fx%-4.0f%s\n", qPrintable(e.role),
                    qPrintable(e.title.left(40)), e.frame.x(), e.frame.y(), e.frame.width(),
                    e.frame.height(), e.isMenuBar ? " (menu bar)" : "");
    }
    for (const TextLine& t : snapshot.shownTexts)
        std::printf("  %-22s %-40s %5.0f,%5.0f %4.0fx%-4.0f\n", "(shown text)",
                    qPrintable(t.text.left(40)), t.frame.x(), t.frame.y(), t.frame.width(),
                    t.frame.height());
    if (snapshot.windowFrame) {
        const QRectF& w = *snapshot.windowFrame;
        std::printf("  window %.0f,%.0f %.0fx%.0f\n", w.x(), w.y(), w.width(), w.height());
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    QProcess started;
    qint64 pid = 0;
    if (arguments.value(0) == QLatin1String("--") && arguments.size() > 1) {
        started.start(arguments[1], arguments.mid(2));
        if (!started.waitForStarted()) {
            std::fprintf(stderr, "could not start %s\n", qPrintable(arguments[1]));
            return 1;
        }
        pid = started.processId();
        QThread::sleep(settingOr("SETTLE", 5));
    } else {
        pid = arguments.value(0).toLongLong();
    }
    AtspiAccessibility atspi{std::make_unique<X11AtspiGeometry>()};
    if (pid <= 0 || !atspi.isTrusted()) {
        std::fprintf(stderr, "usage: tree_read <pid> | tree_read -- <command...>, with "
                             "accessibility on\n");
        return 1;
    }
    CountingAccessibility counting(atspi);
    QList<double> times;
    AXSnapshot snapshot;
    for (int round = 0; round < settingOr("ROUNDS", 5); ++round) {
        counting.nodes = 0;
        counting.batches = 0;
        QElapsedTimer clock;
        clock.start();
        snapshot = AccessibilityReader::read(counting, pid);
        times.append(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("pid %lld: %d nodes in %d batches, %lld elements; read median %.1f ms (min %.1f, "
                "max %.1f)\n",
                pid, counting.nodes.load(), counting.batches.load(),
                qlonglong(snapshot.elements.size()), times[times.size() / 2], times.first(),
                times.last());
    if (qEnvironmentVariableIsSet("LIST"))
        printElements(snapshot);
    if (started.state() == QProcess::Running) {
        started.kill();
        started.waitForFinished();
    }
    return 0;
}
