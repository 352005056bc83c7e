// SPDX-License-Identifier: GPL-3.0-or-later
// From the trigger of a step to the ring on screen and to the whole card, on real applications
// with a stand-in model server that takes the time a 7-8B vision model takes on a laptop GPU
// and on a CPU alone: the first step of a task, and the one after the user clicked the ringed
// control. Each with the request's prompt tokens and how many of them the server had computed
// before. Three ways of being served: the answer streamed with the prompt's start kept (as
// Cuewell asks today), the answer in one piece (a client that does not stream), and streamed
// without the start kept (a server that does not keep it); and a model of text alone, for what
// the picture costs. Run on a desktop (or a virtual one:
// tests/desktop/run-on-virtual-desktop.sh build/bench/time_to_ring); ONLY=<label start> runs one
// application.
#include "DesktopApps.h"
#include "FakeModelHttpServer.h"
#include "ModelServerStandIn.h"
#include "model_client/HttpModelServer.h"
#include "overlay/OverlayController.h"
#include "platform/linux/ProcessMemory.h"
#include "platform/linux/tesseract/TesseractThreads.h"
#include "session/GuideModel.h"

#include <QApplication>
#include <QEventLoop>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

struct Serving
{
    const char* name;
    bool streams;
    bool keepsPrefix;
    bool vision = true;
};

const QList<Serving> servings{{"streamed", true, true},
                              {"one piece", false, true},
                              {"no prefix kept", true, false},
                              {"text model", true, true, false}};

struct Measured
{
    StepTimings stages;
    ModelServerStandIn::Served served;
};

// Runs `trigger` and waits for the step it starts to end.
Measured measure(GuideModel& model, ModelServerStandIn& server,
                 const std::function<void()>& trigger)
{
    QEventLoop loop;
    const QMetaObject::Connection ended =
        QObject::connect(&model, &GuideModel::isBusyChanged, &loop, [&] {
            if (!model.isBusy())
                loop.quit();
        });
    QTimer::singleShot(120'000, &loop, &QEventLoop::quit);
    const qsizetype before = server.served.size();
    trigger();
    loop.exec();
    QObject::disconnect(ended);
    return {model.lastStepTimings(),
            server.served.size() > before ? server.served.last() : ModelServerStandIn::Served{}};
}

// A model that names `clicked` with a sentence of about the length models write for a card.
std::function<QString(const QJsonObject&)> answering(const QString& clicked)
{
    return [clicked](const QJsonObject& request) {
        const QString id =
            FakeModelHttpServer::idOf(clicked, FakeModelHttpServer::promptOf(request));
        return QStringLiteral("{\"id\": %1, \"explanation\": \"Click %2 to go on with the task: it "
                              "opens what the next step needs.\", \"done\": false}")
            .arg(id.isEmpty() ? QStringLiteral("null") : id, clicked);
    };
}

void print(const char* label, const char* step, const Measured& m)
{
    std::printf("    %-16s %-7s request %6.0f ms | ring %7.0f ms | card %7.0f ms | prompt %5lld "
                "tokens, %5lld computed before\n",
                label, step, m.stages.requested, m.stages.ringed, m.stages.answered,
                m.served.promptTokens, m.served.cachedTokens);
    std::fflush(stdout);
}

void runApp(const DesktopApps::App& app, const ModelServerStandIn::Profile& profile,
            const Serving& serving, DesktopApps::Desktop& desktop, const QString& files)
{
    QProcess process;
    if (!DesktopApps::started(process, app, files)) {
        std::printf("    %s did not start\n", app.label);
        return;
    }
    DesktopApps::waitUntilSettled(desktop, DesktopApps::pidOf(process, app));
    ModelServerStandIn server(profile, answering(app.clicked));
    server.streams = serving.streams;
    server.keepsPrefix = serving.keepsPrefix;
    server.vision = serving.vision;
    QTemporaryDir settingsDir;
    QSettings settings(settingsDir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("followClicks"), false);
    HttpModelServer modelServer({{Provider::ollama, server.port()}}, {});
    OverlayController overlay([&desktop] { return desktop.windows.compositorRunning(); });
    GuideModel model({desktop.accessibility, desktop.windows, desktop.pointer, desktop.permissions,
                      desktop.recognition, modelServer, overlay, settings});
    model.setPanelOpen(true);
    DesktopApps::wait(1500);
    model.setGoal(QStringLiteral("use ") + app.clicked);
    const Measured first = measure(model, server, [&] { model.submit(); });
    print(serving.name, "first", first);
    if (!model.steps().isEmpty())
        DesktopApps::clickAt(model.steps().last().frame.center());
    DesktopApps::wait(700);
    const Measured later = measure(model, server, [&] { model.nextStep(); });
    print("", "later", later);
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    model.setPanelOpen(false);
    overlay.hide();
    DesktopApps::stop(process, app);
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
    const QStringList five{QStringLiteral("mousepad"), QStringLiteral("gnome-calculator"),
                           QStringLiteral("qt6ct"), QStringLiteral("Qt Linguist"),
                           QStringLiteral("galculator")};
    const QString only = qEnvironmentVariable("ONLY");
    QTemporaryDir files;
    DesktopApps::writeFiles(files.path());
    std::printf("trigger -> ring and -> whole card, stand-in 7-8B model at 4-bit (times in ms "
                "from the trigger)\n");
    for (const ModelServerStandIn::Profile& profile :
         {ModelServerStandIn::laptopGpu, ModelServerStandIn::cpuOnly}) {
        std::printf("%s: prompt %.0f tokens/s, generation %.1f tokens/s, picture %.1f s\n",
                    profile.name, profile.promptTokensPerSecond, profile.generatedTokensPerSecond,
                    profile.imageEncodeMs / 1000);
        for (const DesktopApps::App& app : DesktopApps::all()) {
            const QString label = QString::fromUtf8(app.label);
            const bool chosen = std::any_of(five.begin(), five.end(), [&](const QString& name) {
                return label.startsWith(name);
            });
            if (!chosen || (!only.isEmpty() && !label.startsWith(only)))
                continue;
            if (QStandardPaths::findExecutable(app.command.first()).isEmpty()) {
                std::printf("  %s not installed\n", app.label);
                continue;
            }
            std::printf("  %s\n", app.label);
            for (const Serving& serving : servings)
                runApp(app, profile, serving, desktop, files.path());
        }
    }
    return 0;
}
