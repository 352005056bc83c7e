// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FakeAccessibility.h"
#include "FakeModelServer.h"
#include "FakeOverlay.h"
#include "FakePermissions.h"
#include "FakePointer.h"
#include "FakeTextRecognition.h"
#include "FakeWindows.h"
#include "session/GuideModel.h"

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

/// A guide model wired to fakes of every port, with a private settings store. The target app
/// (pid 42, "Mousepad") has one window with a "File" menu-bar item and a "Save" button.
class SessionRig
{
public:
    static constexpr qint64 targetPid = 42;
    inline static const QRectF windowFrame{100, 100, 800, 600};

    QTemporaryDir settingsDir;
    QSettings settings{settingsDir.filePath(QStringLiteral("cuewell.ini")), QSettings::IniFormat};
    FakeAccessibility accessibility;
    FakeWindows windows;
    FakePointer pointer;
    FakePermissions permissions;
    FakeTextRecognition textRecognition;
    FakeModelServer modelServer;
    FakeOverlay overlay;
    std::unique_ptr<GuideModel> model;
    QStringList statuses;

    SessionRig()
    {
        const RunningApp mousepad{targetPid, QStringLiteral("Mousepad"), true};
        windows.frontmost = mousepad;
        windows.windows = QList<WindowInfo>{{7, targetPid, 0, windowFrame}};
        addTargetTree();
        modelServer.listings.insert_or_assign(Provider::ollama,
                                              QStringList{QStringLiteral("llava:7b")});
        modelServer.reply =
            QStringLiteral(R"({"id": 2, "explanation": "Click Save.", "done": false})");
    }

    /// Builds the model (running its start-up) and records every status it shows. The model
    /// talks to the scripted `modelServer` unless another server is given.
    GuideModel& start(ModelServerPort* server = nullptr)
    {
        model = std::make_unique<GuideModel>(
            GuideServices{accessibility, windows, pointer, permissions, textRecognition,
                          server ? *server : modelServer, overlay, settings});
        QObject::connect(model.get(), &GuideModel::statusChanged, model.get(),
                         [this] { statuses.append(model->status()); });
        return *model;
    }

private:
    void addTargetTree()
    {
        const AXNode app = FakeAccessibility::node(QStringLiteral("/app"));
        accessibility.applications.insert(targetPid, app);
        AXNodeAttributes file;
        file.role = QStringLiteral("AXMenuBarItem");
        file.title = QStringLiteral("File");
        file.frame = QRectF(100, 60, 40, 20);
        AXNodeAttributes bar;
        bar.children = {accessibility.add(QStringLiteral("/bar/file"), file)};
        AXNodeAttributes save;
        save.role = QStringLiteral("AXButton");
        save.title = QStringLiteral("Save");
        save.frame = QRectF(120, 130, 60, 24);
        AXNodeAttributes window;
        window.role = QStringLiteral("AXWindow");
        window.title = QStringLiteral("Notes.txt - Mousepad");
        window.frame = windowFrame;
        window.children = {accessibility.add(QStringLiteral("/win/save"), save)};
        accessibility.applicationNodesByPath.insert(
            app.path, AXApplicationNodes{accessibility.add(QStringLiteral("/win"), window),
                                         std::nullopt,
                                         {},
                                         accessibility.add(QStringLiteral("/bar"), bar),
                                         {},
                                         {}});
    }
};
