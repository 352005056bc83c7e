// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopApps.h"

#include "session/SettleWatch.h"

#include "observe/AccessibilityReader.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/x11/X11AtspiGeometry.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

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

} // namespace

namespace DesktopApps {

bool Desktop::ready()
{
    if (windows.canCapture() && accessibility.isTrusted() && recognition.isAvailable())
        return true;
    std::fprintf(stderr, "needs an X display with Composite, accessibility on, and Tesseract\n");
    return false;
}

QList<App> all()
{
    return {
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
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool started(QProcess& process, const App& app, const QString& files)
{
    QStringList command = app.command;
    command.replaceInStrings(QStringLiteral("{files}"), files);
    process.start(command.first(), command.mid(1));
    if (!process.waitForStarted())
        return false;
    AtspiAccessibility accessibility{std::make_unique<X11AtspiGeometry>()};
    for (int i = 0; i < 300; ++i) {
        const qint64 pid = app.window.isEmpty() ? process.processId() : windowPid(app.window);
        const AXSnapshot seen = AccessibilityReader::read(accessibility, pid);
        if (seen.elements.size() >= 3 && seen.windowFrame)
            return true;
        QThread::msleep(200);
    }
    return false;
}

qint64 pidOf(const QProcess& process, const App& app)
{
    return app.window.isEmpty() ? process.processId() : windowPid(app.window);
}

void stop(QProcess& process, const App& app)
{
    process.kill();
    process.waitForFinished();
    // The launcher's child, when it outlives the launcher (a pid of 0 would be this group).
    if (const qint64 child = app.window.isEmpty() ? 0 : windowPid(app.window); child > 0)
        ::kill(static_cast<pid_t>(child), SIGKILL);
    wait(300);
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
void waitUntilSettled(Desktop& desktop, qint64 pid)
{
    using namespace std::chrono_literals;
    desktop.windows.prepareCapture(pid);
    QEventLoop loop;
    {
        SettleWatch settle(desktop.windows, desktop.accessibility);
        settle.wait(pid, {400ms, 400ms, 8000ms}, [&loop] { loop.quit(); });
        loop.exec();
    }
    desktop.windows.prepareCapture(0);
    wait(2000);
}

void clickAt(const QPointF& point)
{
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(qRound(point.x())),
                       QString::number(qRound(point.y())), QStringLiteral("click"),
                       QStringLiteral("1")});
}

} // namespace DesktopApps
