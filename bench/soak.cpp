// SPDX-License-Identifier: GPL-3.0-or-later
// A thousand steps in a row on a real application against a model server that misbehaves now
// and then (replies that are broken, slow, failing or name nothing), with the real Linux backend,
// the real HTTP client and the real overlay. Prints the memory and open files at the start and
// the end, the time per step, and every status text seen. Run on a desktop (or a virtual one:
// tests/desktop/run-on-virtual-desktop.sh build/bench/soak).
#include "FakeModelHttpServer.h"
#include "model_client/HttpModelServer.h"
#include "overlay/OverlayController.h"
#include "platform/linux/ProcessMemory.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/atspi/LinuxPermissions.h"
#include "platform/linux/tesseract/TesseractTextRecognition.h"
#include "platform/linux/tesseract/TesseractThreads.h"
#include "platform/linux/x11/X11AtspiGeometry.h"
#include "platform/linux/x11/X11Pointer.h"
#include "platform/linux/x11/X11Windows.h"
#include "session/GuideModel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int steps = 1000;

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression rss(QStringLiteral("VmRSS:\\s+(\\d+) kB"));
    return rss.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

qsizetype openFiles()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
}

// Step `i` meets a server that behaves as a real one sometimes does.
void misbehave(FakeModelHttpServer& server, int i)
{
    server.status = 200;
    server.rawChatBody.clear();
    server.chatDelay = std::chrono::milliseconds(0);
    switch (i % 10) {
    case 0:
        server.rawChatBody = "{\"message\": {\"content\": \"{\\\"id\\\": tru"; // cut short
        break;
    case 1:
        server.status = 500;
        break;
    case 2:
        server.chatDelay = std::chrono::milliseconds(300);
        break;
    case 3:
        server.replyContent = QStringLiteral("{\"id\": 99999}");
        return;
    default:
        break;
    }
    server.replyContent = QStringLiteral("{\"id\": 1, \"explanation\": \"Open the File menu.\"}");
}

void waitUntilIdle(GuideModel& model)
{
    QEventLoop loop;
    QObject::connect(&model, &GuideModel::isBusyChanged, &loop, [&] {
        if (!model.isBusy())
            loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
}

// Step numbers are left out so that statuses differing only in them are counted together.
QString countedAsOne(QString status)
{
    static const QRegularExpression number(QStringLiteral("\\d+"));
    return status.replace(number, QStringLiteral("N"));
}

} // namespace

int main(int argc, char** argv)
{
    TesseractThreads::restartWithOneOpenMpThread(argv);
    ProcessMemory::shareHeapsBetweenThreads();
    QApplication application(argc, argv);
    QProcess editor;
    editor.start(QStringLiteral("mousepad"), {});
    if (!editor.waitForStarted()) {
        std::fprintf(stderr, "mousepad is not installed\n");
        return 1;
    }
    QTimer::singleShot(3000, &application, &QApplication::quit);
    application.exec(); // the editor comes up

    FakeModelHttpServer server(Provider::ollama);
    server.models = {QStringLiteral("llava:7b")};
    QTemporaryDir settingsDir;
    QSettings settings(settingsDir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    X11Windows windows;
    X11Pointer pointer;
    AtspiAccessibility accessibility{std::make_unique<X11AtspiGeometry>()};
    LinuxPermissions permissions([&windows] { return windows.canCapture(); },
                                 LinuxPermissions::x11Advice());
    TesseractTextRecognition recognition;
    HttpModelServer modelServer({{Provider::ollama, server.port()}}, {});
    OverlayController overlay([&windows] { return windows.compositorRunning(); });
    GuideModel model({accessibility, windows, pointer, permissions, recognition, modelServer,
                      overlay, settings});
    QMap<QString, int> statuses;
    QObject::connect(&model, &GuideModel::statusChanged, &model,
                     [&] { ++statuses[countedAsOne(model.status())]; });

    QElapsedTimer clock;
    qint64 startKiB = 0;
    qsizetype startFiles = 0;
    model.setGoal(QStringLiteral("open a file"));
    for (int i = 0; i < steps; ++i) {
        misbehave(server, i);
        if (i == 0)
            model.submit();
        else
            model.nextStep();
        waitUntilIdle(model);
        server.received.clear(); // the stand-in server's own record is not Cuewell's memory
        if (i == 9) {            // measured once everything is warm
            startKiB = residentKiB();
            startFiles = openFiles();
            clock.start();
        }
    }
    const double msPerStep = double(clock.elapsed()) / (steps - 10);
    std::printf("steps: %d, %.0f ms each after the first ten\n", steps, msPerStep);
    std::printf("resident memory: %lld KiB after 10 steps, %lld KiB after %d\n",
                qlonglong(startKiB), qlonglong(residentKiB()), steps);
    std::printf("open files: %lld after 10 steps, %lld after %d\n", qlonglong(startFiles),
                qlonglong(openFiles()), steps);
    std::printf("status texts seen:\n");
    for (auto it = statuses.cbegin(); it != statuses.cend(); ++it)
        std::printf("  %5d  %s\n", it.value(), qPrintable(it.key().left(110)));
    editor.kill();
    editor.waitForFinished();
    return 0;
}
