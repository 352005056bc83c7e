// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/atspi/LinuxPermissions.h"
#include "platform/linux/tesseract/TesseractTextRecognition.h"
#include "platform/linux/x11/X11AtspiGeometry.h"
#include "platform/linux/x11/X11Pointer.h"
#include "platform/linux/x11/X11Windows.h"

#include <QList>
#include <QPointF>
#include <QProcess>
#include <QString>
#include <QStringList>

/// Real applications for the benchmarks that run whole steps: how to start each, which control
/// a stand-in model names in it, and the desktop chores around them.
namespace DesktopApps {

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

/// The desktop a step runs on, as Cuewell meets it on X11.
struct Desktop
{
    X11Windows windows;
    X11Pointer pointer;
    AtspiAccessibility accessibility{std::make_unique<X11AtspiGeometry>()};
    LinuxPermissions permissions{[this] { return windows.canCapture(); },
                                 LinuxPermissions::x11Advice()};
    TesseractTextRecognition recognition;

    /// Whether steps can run here; when not, says on stderr what is missing.
    bool ready();
};

/// The applications, from the light ones to a browser and an office suite.
QList<App> all();

/// Documents and profiles the applications open: a long web page, a ten-page document, and
/// profiles that skip first-start dialogs.
void writeFiles(const QString& folder);

/// Starts `app` and waits until its window is readable; false when it is not installed or never
/// shows one.
bool started(QProcess& process, const App& app, const QString& files);

/// The process of the application's window (the launcher's child, for some).
qint64 pidOf(const QProcess& process, const App& app);

/// Ends the application, the launcher's child included.
void stop(QProcess& process, const App& app);

/// Waits until a freshly started application has stopped drawing, as far as a caret allows.
void waitUntilSettled(Desktop& desktop, qint64 pid);

void clickAt(const QPointF& point);
void wait(int ms);

} // namespace DesktopApps
