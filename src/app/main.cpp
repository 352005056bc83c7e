// SPDX-License-Identifier: GPL-3.0-or-later
// Cuewell: an on-screen guide that points to the control to use next.
#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/DesktopBackend.h"
#include "app/SingleInstance.h"
#include "core/Texts.h"
#include "platform/linux/DesktopSession.h"
#include "platform/linux/ProcessMemory.h"
#include "platform/linux/tesseract/TesseractThreads.h"
#include "ui/Translations.h"
#include "ui/UnsupportedDesktopView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QProcessEnvironment>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

bool hasX11Display()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return false;
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    const bool ok = !xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    return ok;
}

void describeProgram()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Cuewell"));
    QCoreApplication::setApplicationName(QStringLiteral("Cuewell"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CUEWELL_VERSION));
}

// Answers a command line with arguments: --help and --version need no desktop, and --quit only
// a running Cuewell. Returns the exit code, or nothing when Cuewell is to run in the background.
std::optional<int> answer(int argc, char** argv)
{
    const QCoreApplication parsing(argc, argv);
    describeProgram();
    const Translations translations;
    const CommandLine command = CommandLine::parse(QCoreApplication::arguments());
    switch (command.action) {
    case CommandLine::Action::showHelp:
    case CommandLine::Action::showVersion:
        std::printf("%s\n", qPrintable(command.text.trimmed()));
        return 0;
    case CommandLine::Action::quitRunning:
        if (SingleInstance().forwardToRunning(SingleInstance::Request::quit))
            return 0;
        std::fprintf(stderr, "%s\n", qPrintable(Texts::cuewellNotRunning()));
        return 1;
    case CommandLine::Action::runInBackground:
        return std::nullopt;
    case CommandLine::Action::refuse:
    case CommandLine::Action::run:
        break;
    }
    std::fprintf(stderr, "%s\n",
                 qPrintable(command.text.isEmpty() ? Texts::noArgumentsTaken() : command.text));
    return 2;
}

// A session Cuewell cannot serve: the card says so, naming it, until the person quits.
int sayUnsupported(const DesktopSession& session)
{
    QApplication::setQuitOnLastWindowClosed(true);
    UnsupportedDesktopView view(session.name);
    QObject::connect(&view, &UnsupportedDesktopView::quitRequested, &QApplication::quit);
    view.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    AppDelegate::Start start = AppDelegate::Start::openPanel;
    if (argc > 1) {
        if (const std::optional<int> exitCode = answer(argc, argv))
            return *exitCode;
        start = AppDelegate::Start::inBackground;
    }
    TesseractThreads::restartWithOneOpenMpThread(argv);
    ProcessMemory::shareHeapsBetweenThreads();
    const DesktopSession session =
        DesktopSession::of(QProcessEnvironment::systemEnvironment(), hasX11Display);
    if (session.kind == DesktopSession::Kind::none) {
        std::fprintf(stderr, "%s\n", qPrintable(Texts::noX11Display()));
        return 1;
    }
    // On X11 capture and the hot key speak X11, so the panel does too. On Wayland the panel is
    // a window of the desktop's own (XWayland would place it among X windows only).
    if (session.kind == DesktopSession::Kind::x11)
        qputenv("QT_QPA_PLATFORM", "xcb");
    else if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "wayland;xcb");
    QApplication application(argc, argv);
    describeProgram();
    const Translations translations;
    QApplication::setApplicationDisplayName(QStringLiteral("Cuewell"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/cuewell/cuewell.svg")));

    SingleInstance instance;
    if (instance.forwardToRunning(start == AppDelegate::Start::openPanel
                                      ? SingleInstance::Request::open
                                      : SingleInstance::Request::none))
        return 0;
    if (session.kind == DesktopSession::Kind::unsupportedWayland)
        return sayUnsupported(session);
    AppDelegate delegate(DesktopBackend::serving(session));
    instance.listen([&delegate](SingleInstance::Request request) {
        if (request == SingleInstance::Request::quit)
            QApplication::quit();
        else
            delegate.openPanel();
    });
    delegate.launch(start);
    return QApplication::exec();
}
