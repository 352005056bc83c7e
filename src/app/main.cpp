// SPDX-License-Identifier: GPL-3.0-or-later
// Cuewell: an on-screen guide that points to the control to use next.
#include "app/AppDelegate.h"
#include "app/DesktopBackend.h"
#include "app/SingleInstance.h"
#include "core/Texts.h"
#include "platform/linux/GnomeShellConnection.h"
#include "platform/linux/ProcessMemory.h"
#include "platform/linux/TesseractThreads.h"

#include <QApplication>
#include <QIcon>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

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

} // namespace

int main(int argc, char** argv)
{
    TesseractThreads::restartWithOneOpenMpThread(argv);
    ProcessMemory::shareHeapsBetweenThreads();
    // GNOME on Wayland is served through Cuewell's shell extension, and the panel is a Wayland
    // window there; elsewhere capture and the hot key speak X11, so the panel does too
    // (XWayland included).
    const bool gnomeWayland = GnomeShellConnection::isGnomeWayland();
    if (!gnomeWayland && !hasX11Display()) {
        std::fprintf(stderr, "%s\n", qPrintable(Texts::noX11Display));
        return 1;
    }
    if (!gnomeWayland)
        qputenv("QT_QPA_PLATFORM", "xcb");
    else if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "wayland;xcb");
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Cuewell"));
    QApplication::setApplicationName(QStringLiteral("Cuewell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Cuewell"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/cuewell/cuewell.svg")));

    SingleInstance instance;
    if (instance.forwardToRunning())
        return 0;
    AppDelegate delegate(gnomeWayland ? DesktopBackend::gnomeShell() : DesktopBackend::x11());
    instance.listen([&delegate] { delegate.openPanel(); });
    delegate.launch();
    return QApplication::exec();
}
