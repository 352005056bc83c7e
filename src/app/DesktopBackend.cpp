// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DesktopBackend.h"

#include "app/AppLog.h"

#include "platform/linux/CompositorWindows.h"
#include "platform/linux/DesktopSession.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/atspi/CompositorAtspiGeometry.h"
#include "platform/linux/atspi/LinuxPermissions.h"
#include "platform/linux/gnome/GnomeShellConnection.h"
#include "platform/linux/gnome/GnomeShellHotKey.h"
#include "platform/linux/gnome/GnomeShellPointer.h"
#include "platform/linux/kwin/KWinConnection.h"
#include "platform/linux/kwin/KWinHotKey.h"
#include "platform/linux/kwin/KWinPointer.h"
#include "platform/linux/x11/X11AtspiGeometry.h"
#include "platform/linux/x11/X11HotKey.h"
#include "platform/linux/x11/X11Pointer.h"
#include "platform/linux/x11/X11Windows.h"

namespace {

// The shell answers within milliseconds when the extension runs; start-up waits no longer
// than a person would notice.
constexpr std::chrono::milliseconds extensionAnswer{1500};

} // namespace

DesktopBackend::DesktopBackend() = default;
DesktopBackend::DesktopBackend(DesktopBackend&&) noexcept = default;
DesktopBackend::~DesktopBackend() = default;

DesktopBackend DesktopBackend::serving(const DesktopSession& session)
{
    switch (session.kind) {
    case DesktopSession::Kind::gnomeWayland:
        return gnomeShell();
    case DesktopSession::Kind::kdeWayland:
        return kdePlasma();
    case DesktopSession::Kind::x11:
    case DesktopSession::Kind::unsupportedWayland:
    case DesktopSession::Kind::none:
        break;
    }
    return x11();
}

DesktopBackend DesktopBackend::x11()
{
    DesktopBackend backend;
    auto windows = std::make_unique<X11Windows>();
    X11Windows* x = windows.get();
    backend.permissions = std::make_unique<LinuxPermissions>([x] { return x->canCapture(); },
                                                             LinuxPermissions::x11Advice());
    backend.compositorRunning = [x] { return x->compositorRunning(); };
    backend.windows = std::move(windows);
    backend.pointer = std::make_unique<X11Pointer>();
    backend.accessibility =
        std::make_unique<AtspiAccessibility>(std::make_unique<X11AtspiGeometry>());
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
    backend.windows = std::make_unique<CompositorWindows>(*shell);
    backend.pointer = std::make_unique<GnomeShellPointer>(*shell);
    backend.accessibility = std::make_unique<AtspiAccessibility>(
        std::make_unique<CompositorAtspiGeometry>([shell] { return shell->windows(); }));
    backend.hotKey = std::make_unique<GnomeShellHotKey>(*shell);
    return backend;
}

DesktopBackend DesktopBackend::kdePlasma()
{
    DesktopBackend backend;
    backend.kwin = std::make_unique<KWinConnection>();
    KWinConnection* kwin = backend.kwin.get();
    if (!kwin->start(extensionAnswer))
        qCInfo(lcApp) << "no KWin took Cuewell's script";
    backend.permissions = std::make_unique<LinuxPermissions>(
        [kwin] { return kwin->isSubscribed() && kwin->captureGranted(); },
        LinuxPermissions::kwinAdvice());
    QObject::connect(kwin, &KWinConnection::subscribedChanged, backend.permissions.get(),
                     &LinuxPermissions::captureChanged);
    QObject::connect(kwin, &KWinConnection::captureGrantedChanged, backend.permissions.get(),
                     &LinuxPermissions::captureChanged);
    backend.compositorRunning = [] { return true; };
    backend.windows = std::make_unique<CompositorWindows>(*kwin);
    backend.pointer = std::make_unique<KWinPointer>(*kwin);
    backend.accessibility = std::make_unique<AtspiAccessibility>(
        std::make_unique<CompositorAtspiGeometry>([kwin] { return kwin->windows(); }));
    backend.hotKey = std::make_unique<KWinHotKey>(*kwin);
    return backend;
}
