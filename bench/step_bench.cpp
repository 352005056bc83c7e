// SPDX-License-Identifier: GPL-3.0-or-later
// From the trigger of a step to the request at the model server, on real applications: the first
// step on a freshly started application (after the panel was open as long as typing a goal
// takes), a following step with the window unchanged, and one after the user clicked the ringed
// element (a menu or a list opened, a button went down). Each with where the time went, the
// longest the main thread was blocked, and the peak memory. Medians of a few rounds, each on a
// fresh start of the application. Run on a desktop (or a virtual one:
// tests/desktop/run-on-virtual-desktop.sh build/bench/step_bench).
#include "CountingAccessibility.h"
#include "FakeModelHttpServer.h"
#include "model_client/HttpModelServer.h"
#include "observe/AccessibilityReader.h"
#include "overlay/OverlayController.h"
#include "platform/linux/AtspiAccessibility.h"
#include "platform/linux/LinuxPermissions.h"
#include "platform/linux/ProcessMemory.h"
#include "platform/linux/TesseractTextRecognition.h"
#include "platform/linux/TesseractThreads.h"
#include "platform/linux/X11Pointer.h"
#include "platform/linux/X11Windows.h"
#include "session/GuideModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

constexpr int rounds = 3;
// How long the panel is open before the goal is sent: about the time it takes to type one.
constexpr int typingMs = 1500;

struct App
{
    const char* label;
    /// {files} stands for the bench's folder of documents and profiles.
    QStringList command;
    /// The element the stand-in model names, and the bench then clicks.
    QString clicked;
    /// The name of the application's window, when a launcher starts it as another process.
    QString window = {};
};

struct Measured
{
    double toRequest = 0;
    int nodesRead = 0;
    StepTimings stages;
    double longestStallMs = 0;
    qint64 peakKiB = 0;
};

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

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
    m.stages = model.lastStepTimings();
    m.longestStallMs = longest;
    m.peakKiB = statusKiB("VmHWM");
    m.nodesRead = counting.nodes;
    return m;
}

// The process showing a window named `name`, or 0 while there is none.
qint64 windowPid(const QString& name)
{
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                  QStringLiteral("--name"), name, QStringLiteral("getwindowpid")});
    search.waitForFinished(5000);
    return search.readAllStandardOutput().split('\n').value(0).toLongLong();
}

bool started(QProcess& process, const App& app, const QString& files)
{
    QStringList command = app.command;
    command.replaceInStrings(QStringLiteral("{files}"), files);
    process.start(command.first(), command.mid(1));
    if (!process.waitForStarted())
        return false;
    AtspiAccessibility accessibility;
    for (int i = 0; i < 300; ++i) {
        const qint64 pid = app.window.isEmpty() ? process.processId() : windowPid(app.window);
        const AXSnapshot seen = AccessibilityReader::read(accessibility, pid);
        if (seen.elements.size() >= 3 && seen.windowFrame)
            return true;
        QThread::msleep(200);
    }
    return false;
}

// A long web page, a ten-page document, and profiles that skip first-start dialogs.
void writeFiles(const QString& folder)
{
    QString page = QStringLiteral("<!doctype html><title>Long page</title><h1>Long page</h1>");
    QString text;
    for (int i = 1; i <= 400; ++i) {
        page += QStringLiteral("<h2>Section %1</h2><p>Paragraph %1 with <a href=\"#s%1\">a link "
                               "%1</a> and some text that fills the line. <button>Action %1"
                               "</button></p>")
                    .arg(i);
        text += QStringLiteral("Paragraph %1 of a long document, with a sentence or two of plain "
                               "text so that the page fills as a real one would.\n\n")
                    .arg(i);
    }
    const auto write = [&folder](const QString& name, const QString& content) {
        QDir().mkpath(QFileInfo(folder + u'/' + name).path());
        QFile file(folder + u'/' + name);
        if (file.open(QIODevice::WriteOnly))
            file.write(content.toUtf8());
    };
    write(QStringLiteral("long.html"), page);
    QProcess::execute(QStringLiteral("convert"),
                      {QStringLiteral("-size"), QStringLiteral("600x800"),
                       QStringLiteral("xc:white"), folder + QStringLiteral("/scan.tiff")});
    write(QStringLiteral("long.txt"), text);
    write(QStringLiteral("firefox/user.js"),
          QStringLiteral("user_pref(\"browser.aboutwelcome.enabled\", false);\n"
                         "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n"
                         "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
                         "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n"));
    write(QStringLiteral("office/user/registrymodifications.xcu"),
          QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<oor:items "
                         "xmlns:oor=\"http://openoffice.org/2001/registry\" "
                         "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
                         "<item oor:path=\"/org.openoffice.Office.Common/Misc\"><prop "
                         "oor:name=\"ShowTipOfTheDay\" oor:op=\"fuse\"><value>false</value>"
                         "</prop></item>\n</oor:items>\n"));
}

// A freshly started application goes on drawing for a while (a bar announcing news, a ruler
// laid out again): the user opens the panel over one that has been running a moment, and has
// settled as far as a blinking caret allows.
void waitUntilSettled(X11Windows& windows, qint64 pid)
{
    using namespace std::chrono_literals;
    windows.prepareCapture(pid);
    QEventLoop loop;
    windows.whenSettled(pid, 400ms, 8000ms, [&loop] { loop.quit(); });
    loop.exec();
    windows.prepareCapture(0);
    wait(2000);
}

void clickAt(const QPointF& point)
{
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(qRound(point.x())),
                       QString::number(qRound(point.y())), QStringLiteral("click"),
                       QStringLiteral("1")});
}

struct Round
{
    Measured first;
    Measured unchanged;
    Measured changed;
};

std::optional<Round> runRound(const App& app, X11Windows& windows, X11Pointer& pointer,
                              AtspiAccessibility& atspi, LinuxPermissions& permissions,
                              TesseractTextRecognition& recognition, const QString& files)
{
    QProcess process;
    if (!started(process, app, files))
        return std::nullopt;
    CountingAccessibility accessibility(atspi);
    waitUntilSettled(windows, app.window.isEmpty() ? process.processId() : windowPid(app.window));
    FakeModelHttpServer server(Provider::ollama);
    server.models = {QStringLiteral("llava:7b")};
    server.answer = FakeModelHttpServer::naming(app.clicked);
    QTemporaryDir settingsDir;
    QSettings settings(settingsDir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("followClicks"), false);
    HttpModelServer modelServer({{Provider::ollama, server.port()}}, {});
    OverlayController overlay([&windows] { return windows.compositorRunning(); });
    GuideModel model({accessibility, windows, pointer, permissions, recognition, modelServer,
                      overlay, settings});
    model.setPanelOpen(true);
    wait(typingMs);
    model.setGoal(QStringLiteral("use ") + app.clicked);
    Round round;
    round.first = measure(model, server, accessibility, [&] { model.submit(); });
    wait(700);
    round.unchanged = measure(model, server, accessibility, [&] { model.nextStep(); });
    if (!model.steps().isEmpty())
        clickAt(model.steps().last().frame.center());
    wait(700);
    round.changed = measure(model, server, accessibility, [&] { model.nextStep(); });
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    model.setPanelOpen(false);
    overlay.hide();
    process.kill();
    process.waitForFinished();
    // The launcher's child, when it outlives the launcher (a pid of 0 would be this group).
    if (const qint64 child = app.window.isEmpty() ? 0 : windowPid(app.window); child > 0)
        ::kill(static_cast<pid_t>(child), SIGKILL);
    wait(300);
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
    std::printf("  %-26s %-10s %6.0f ms | capture %5.0f  read %5.0f  text %5.0f%s  list %5.0f  "
                "request %5.0f | nodes %5.0f | stall %4.0f ms | peak %4.0f MB\n",
                label, kind, of([](const Measured& m) { return m.toRequest; }),
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
    X11Windows windows;
    X11Pointer pointer;
    AtspiAccessibility accessibility;
    LinuxPermissions permissions(windows);
    TesseractTextRecognition recognition;
    if (!windows.canCapture() || !accessibility.isTrusted() || !recognition.isAvailable()) {
        std::fprintf(stderr,
                     "needs an X display with Composite, accessibility on, and Tesseract\n");
        return 1;
    }
    const QList<App> apps{
        {"galculator (GTK 3)", {"galculator"}, QStringLiteral("7")},
        {"gnome-calculator (GTK 4)", {"gnome-calculator"}, QStringLiteral("7")},
        {"mousepad (GTK 3)", {"mousepad"}, QStringLiteral("File")},
        {"zenity form (GTK 3)",
         {"zenity", "--forms", "--title=Order", "--add-entry=Name", "--add-combo=Colour",
          "--combo-values=Red|Green|Blue"},
         QStringLiteral("Colour")},
        {"qt6ct (Qt 6)", {"qt6ct"}, QStringLiteral("Fusion")},
        {"Qt Linguist (Qt 6)", {"/usr/lib/qt6/bin/linguist"}, QStringLiteral("File")},
        {"gtk3-widget-factory", {"gtk3-widget-factory"}, QStringLiteral("Button")},
        {"Firefox, long page",
         {"firefox-esr", "--no-remote", "--profile", "{files}/firefox", "file://{files}/long.html"},
         QStringLiteral("Action 3"),
         QStringLiteral("Long page")},
        {"LibreOffice Writer, 10 pages",
         {"/usr/lib/libreoffice/program/soffice", "--writer", "--norestore",
          "-env:UserInstallation=file://{files}/office", "{files}/long.txt"},
         QStringLiteral("Format"),
         QStringLiteral("long.txt")},
        {"Thunar", {"thunar", "{files}"}, QStringLiteral("Edit")},
        {"gnome-text-editor (GTK 4)",
         {"gnome-text-editor", "--standalone"},
         QStringLiteral("Menu")},
        {"FeatherPad (Qt 5)", {"featherpad"}, QStringLiteral("Options")},
        {"Evince", {"evince", "{files}/scan.tiff"}, QStringLiteral("File options")},
    };
    QTemporaryDir files;
    writeFiles(files.path());
    const QString only = qEnvironmentVariable("ONLY");
    std::printf("trigger -> request (median of %d; stages in ms from the trigger; * = text from "
                "an earlier read for some blocks)\n",
                rounds);
    for (const App& app : apps) {
        if (!only.isEmpty() && !QLatin1String(app.label).startsWith(only))
            continue;
        if (QStandardPaths::findExecutable(app.command.first()).isEmpty()) {
            std::printf("  %-22s not installed\n", app.label);
            continue;
        }
        QList<Measured> first, unchanged, changed;
        for (int i = 0; i < rounds; ++i) {
            const std::optional<Round> round = runRound(app, windows, pointer, accessibility,
                                                        permissions, recognition, files.path());
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
