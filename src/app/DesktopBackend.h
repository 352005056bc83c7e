// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

struct DesktopSession;
class AtspiAccessibility;
class GnomeShellConnection;
class KWinConnection;
class HotKeyPort;
class LinuxPermissions;
class PointerPort;
class WindowsPort;

/// The ports as the desktop Cuewell runs on offers them: an X11 session, GNOME on Wayland
/// through Cuewell's shell extension, or KDE Plasma on Wayland through Cuewell's KWin script.
/// Accessibility trees are read over AT-SPI on all of them.
struct DesktopBackend
{
    DesktopBackend();
    DesktopBackend(DesktopBackend&&) noexcept;
    ~DesktopBackend();

    /// The backend for `session` (X11, GNOME or KDE Plasma on Wayland).
    static DesktopBackend serving(const DesktopSession& session);

    static DesktopBackend x11();
    /// Waits briefly for the shell extension; without it, the backend still runs and says how
    /// to turn the extension on, and takes up the extension as soon as it appears.
    static DesktopBackend gnomeShell();
    /// Loads Cuewell's KWin script, which reports windows while Cuewell runs.
    static DesktopBackend kdePlasma();

    /// GNOME on Wayland only.
    std::unique_ptr<GnomeShellConnection> shell;
    /// KDE Plasma on Wayland only.
    std::unique_ptr<KWinConnection> kwin;
    std::unique_ptr<WindowsPort> windows;
    std::unique_ptr<PointerPort> pointer;
    std::unique_ptr<AtspiAccessibility> accessibility;
    std::unique_ptr<LinuxPermissions> permissions;
    std::unique_ptr<HotKeyPort> hotKey;
    /// Whether windows are composited right now (translucent highlights are possible).
    std::function<bool()> compositorRunning;
};
