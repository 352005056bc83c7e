// SPDX-License-Identifier: GPL-3.0-or-later
// From the trigger of a step to the request at the model server, on real applications: the first
// step on a freshly started application (after the panel was open as long as typing a goal
// takes), a following step with the window unchanged, and the one that follows the user's click
// on the ringed element (a menu or a list opened, a button went down), from the click: the wait
// for the application to settle is part of it. Each with where the time went, the
// longest the main thread was blocked, and the peak memory. Medians of a few rounds, each on a
// fresh start of the application. Run on a desktop (or a virtual one:
// tests/desktop/run-on-virtual-desktop.sh build/bench/step_bench).
#include "CountingAccessibility.h"
#include "DesktopApps.h"
#include "FakeModelHttpServer.h"
#include "model_client/HttpModelServer.h"
#include "observe/AccessibilityReader.h"
#include "overlay/OverlayController.h"
#include "platform/linux/ProcessMemory.h"
#include "platform/linux/tesseract/TesseractThreads.h"
#include "platform/linux/x11/X11Pointer.h"
#include "session/GuideModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int rounds = 3;
// How long the panel is open before the goal is sent: about the time it takes to type one.
constexpr int typingMs = 1500;

struct Measured
{
    double toRequest = 0;
    qint64 requestAtMs = 0;
    int nodesRead = 0;
    StepTimings stages;
    double longestStallMs = 0;
    qint64 peakKiB = 0;
};

qint64 statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("%1:\\s+(\\d+) kB").arg(QLatin1String(field)));
    return line.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

// The peak resident size starts again from the current one.
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// Runs `trigger` and waits for the step it starts; the time until the request arrived at the
// server, and the longest gap between two ticks of a 1 ms timer on the main thread meanwhile.
Measured measure(GuideModel& model, FakeModelHttpServer& server, CountingAccessibility& counting,
                 const std::function<void()>& trigger)
{
    server.received.clear();
    counting.nodes = 0;
    resetPeak();
    QElapsedTimer sinceTick;
    double longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    QEventLoop loop;
    QObject::connect(&model, &GuideModel::isBusyChanged, &loop, [&] {
        if (!model.isBusy())
            loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    sinceTick.start();
    ticker.start();
    trigger();
    loop.exec();
    ticker.stop();
    Measured m;
    const auto chat = std::find_if(server.received.begin(), server.received.end(),
                                   [](const auto& r) { return r.path == "/api/chat"; });
    m.toRequest = chat == server.received.end() ? -1 : double(chat->atMs - started);
    m.requestAtMs = chat == server.received.end() ? 0 : chat->atMs;
    m.stages = model.lastStepTimings();
    m.longestStallMs = longest;
    m.peakKiB = statusKiB("VmHWM");
    m.nodesRead = counting.nodes;
    return m;
}

struct Round
{
    Measured first;
    Measured unchanged;
    Measured changed;
};

std::optional<Round> runRound(const DesktopApps::App& app, DesktopApps::Desktop& desktop,
                              const QString& files)
{
    QProcess process;
    if (!DesktopApps::started(process, app, files))
        return std::nullopt;
    CountingAccessibility accessibility(desktop.accessibility);
    X11Windows& windows = desktop.windows;
    DesktopApps::waitUntilSettled(desktop, DesktopApps::pidOf(process, app));
    FakeModelHttpServer server(Provider::ollama);
    server.models = {QStringLiteral("llava:7b")};
    server.answer = FakeModelHttpServer::naming(app.clicked);
    QTemporaryDir settingsDir;
    QSettings settings(settingsDir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    HttpModelServer modelServer({{Provider::ollama, server.port()}}, {});
    OverlayController overlay([&windows] { return windows.compositorRunning(); });
    GuideModel model({accessibility, windows, desktop.pointer, desktop.permissions,
                      desktop.recognition, modelServer, overlay, settings});
    model.setPanelOpen(true);
    DesktopApps::wait(typingMs);
    model.setGoal(QStringLiteral("use ") + app.clicked);
    Round round;
    round.first = measure(model, server, accessibility, [&] { model.submit(); });
    DesktopApps::wait(700);
    round.unchanged = measure(model, server, accessibility, [&] { model.nextStep(); });
    // The user's click on the ringed control is the trigger of the next step. It is timed from
    // the button's release as the desktop reports it, the moment Cuewell hears of the click, not
    // from the start of the program that clicks.
    const QPointF ringed =
        model.steps().isEmpty() ? QPointF() : model.steps().last().frame.center();
    X11Pointer releases;
    qint64 releasedAt = 0;
    releases.watchPrimaryClicks([&releasedAt](const PointerPort::Click&) {
        releasedAt = QDateTime::currentMSecsSinceEpoch();
    });
    round.changed = measure(model, server, accessibility, [&] {
        QProcess::startDetached(QStringLiteral("xdotool"),
                                {QStringLiteral("mousemove"), QString::number(qRound(ringed.x())),
                                 QString::number(qRound(ringed.y())), QStringLiteral("click"),
                                 QStringLiteral("1")});
    });
    if (releasedAt > 0 && round.changed.requestAtMs > 0)
        round.changed.toRequest = double(round.changed.requestAtMs - releasedAt);
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    model.setPanelOpen(false);
    overlay.hide();
    DesktopApps::stop(process, app);
    return round;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

void report(const char* label, const char* kind, const QList<Measured>& runs)
{
    const auto of = [&runs](auto field) {
        QList<double> values;
        for (const Measured& m : runs)
            values.append(field(m));
        return median(values);
    };
    qsizetype fromMemory = 0;
    for (const Measured& m : runs)
        fromMemory += m.stages.recognisedBefore ? 1 : 0;
    std::printf("  %-26s %-10s %6.0f ms | settle %4.0f | capture %5.0f  read %5.0f  text %5.0f%s  "
                "list %5.0f  request %5.0f | nodes %5.0f | stall %4.0f ms | peak %4.0f MB\n",
                label, kind, of([](const Measured& m) { return m.toRequest; }),
                of([](const Measured& m) { return m.toRequest - m.stages.requested; }),
                of([](const Measured& m) { return m.stages.capture; }),
                of([](const Measured& m) { return m.stages.read; }),
                of([](const Measured& m) { return m.stages.recognise; }),
                fromMemory == runs.size() ? "*" : " ",
                of([](const Measured& m) { return m.stages.observed; }),
                of([](const Measured& m) { return m.stages.requested; }),
                of([](const Measured& m) { return double(m.nodesRead); }),
                of([](const Measured& m) { return m.longestStallMs; }),
                of([](const Measured& m) { return m.peakKiB / 1024.0; }));
}

} // namespace

int main(int argc, char** argv)
{
    TesseractThreads::restartWithOneOpenMpThread(argv);
    ProcessMemory::shareHeapsBetweenThreads();
    QApplication application(argc, argv);
    DesktopApps::Desktop desktop;
    if (!desktop.ready())
        return 1;
    const QList<DesktopApps::App> apps = DesktopApps::all();
    QTemporaryDir files;
    DesktopApps::writeFiles(files.path());
    const QString only = qEnvironmentVariable("ONLY");
    std::printf("trigger -> request (median of %d; settle = from the trigger to the step's "
                "start, stages in ms from that start; * = text from an earlier read for some "
                "blocks)\n",
                rounds);
    for (const DesktopApps::App& app : apps) {
        if (!only.isEmpty() && !QLatin1String(app.label).startsWith(only))
            continue;
        if (QStandardPaths::findExecutable(app.command.first()).isEmpty()) {
            std::printf("  %-22s not installed\n", app.label);
            continue;
        }
        QList<Measured> first, unchanged, changed;
        for (int i = 0; i < rounds; ++i) {
            const std::optional<Round> round = runRound(app, desktop, files.path());
            if (!round)
                continue;
            first.append(round->first);
            unchanged.append(round->unchanged);
            changed.append(round->changed);
        }
        report(app.label, "first", first);
        report("", "unchanged", unchanged);
        report("", "clicked", changed);
        std::fflush(stdout);
    }
    return 0;
}
