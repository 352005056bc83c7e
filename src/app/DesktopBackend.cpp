// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DesktopBackend.h"

#include "platform/linux/AtspiAccessibility.h"
#include "platform/linux/GnomeShellAtspiGeometry.h"
#include "platform/linux/GnomeShellConnection.h"
#include "platform/linux/GnomeShellHotKey.h"
#include "platform/linux/GnomeShellPointer.h"
#include "platform/linux/GnomeShellWindows.h"
#include "platform/linux/LinuxPermissions.h"
#include "platform/linux/X11HotKey.h"
#include "platform/linux/X11Pointer.h"
#include "platform/linux/X11Windows.h"

namespace {

// The shell answers within milliseconds when the extension runs; start-up waits no longer
// than a person would notice.
constexpr std::chrono::milliseconds extensionAnswer{1500};

} // namespace

DesktopBackend::DesktopBackend() = default;
DesktopBackend::DesktopBackend(DesktopBackend&&) noexcept = default;
DesktopBackend::~DesktopBackend() = default;

DesktopBackend DesktopBackend::x11()
{
    DesktopBackend backend;
    auto windows = std::make_unique<X11Windows>();
    X11Windows* x = windows.get();
    backend.permissions = std::make_unique<LinuxPermissions>(*x);
    backend.compositorRunning = [x] { return x->compositorRunning(); };
    backend.windows = std::move(windows);
    backend.pointer = std::make_unique<X11Pointer>();
    backend.accessibility = std::make_unique<AtspiAccessibility>();
    backend.hotKey = std::make_unique<X11HotKey>();
    return backend;
}

DesktopBackend DesktopBackend::gnomeShell()
{
    DesktopBackend backend;
    backend.shell = std::make_unique<GnomeShellConnection>();
    GnomeShellConnection* shell = backend.shell.get();
    shell->subscribe(extensionAnswer);
    backend.permissions = std::make_unique<LinuxPermissions>(
        [shell] { return shell->isSubscribed(); }, LinuxPermissions::gnomeShellAdvice());
    QObject::connect(shell, &GnomeShellConnection::subscribedChanged, backend.permissions.get(),
                     &LinuxPermissions::captureChanged);
    backend.compositorRunning = [] { return true; };
    backend.windows = std::make_unique<GnomeShellWindows>(*shell);
    backend.pointer = std::make_unique<GnomeShellPointer>(*shell);
    backend.accessibility =
        std::make_unique<AtspiAccessibility>(std::make_unique<GnomeShellAtspiGeometry>(*shell));
    backend.hotKey = std::make_unique<GnomeShellHotKey>(*shell);
    return backend;
}
