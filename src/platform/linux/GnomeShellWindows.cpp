// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/GnomeShellWindows.h"

#include "core/Texts.h"
#include "platform/linux/GnomeShellConnection.h"
#include "platform/linux/LinuxLog.h"
#include "platform/linux/QtScreens.h"

#include <QScreen>
#include <algorithm>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

// Compositing a window into a PNG takes tens of milliseconds; a shell that takes this long is
// not going to answer.
constexpr std::chrono::milliseconds captureTimeout{3000};

WindowInfo infoOf(const GnomeShellWindow& window)
{
    return {window.id, window.pid, window.layer, QRectF(window.frame)};
}

} // namespace

GnomeShellWindows::GnomeShellWindows(GnomeShellConnection& shell, QObject* parent)
    : QObject(parent), m_shell(shell)
{
    connect(&m_shell, &GnomeShellConnection::windowsChanged, this,
            &GnomeShellWindows::windowsChanged);
    connect(&m_shell, &GnomeShellConnection::applicationDrawn, this, &GnomeShellWindows::drawn);
}

GnomeShellWindows::~GnomeShellWindows() = default;

qint64 GnomeShellWindows::ownPid() const
{
    return getpid();
}

std::optional<RunningApp> GnomeShellWindows::frontmostApplication()
{
    const QList<GnomeShellWindow> windows = m_shell.windows();
    const auto focused = std::find_if(windows.begin(), windows.end(),
                                      [](const GnomeShellWindow& w) { return w.focused; });
    if (focused == windows.end())
        return std::nullopt;
    // The shell knows no application for some popups (a Qt menu): its other windows name it.
    QString name = focused->applicationName;
    for (const GnomeShellWindow& window : windows) {
        if (name.isEmpty() && window.pid == focused->pid)
            name = window.applicationName;
    }
    return RunningApp{focused->pid, name, !focused->popup};
}

bool GnomeShellWindows::isTerminated(qint64 pid)
{
    return pid <= 0 || (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

void GnomeShellWindows::onActivation(std::function<void(const RunningApp&)> handler)
{
    m_onActivation = std::move(handler);
}

void GnomeShellWindows::windowsChanged()
{
    const std::optional<RunningApp> front = frontmostApplication();
    const qint64 pid = front ? front->pid : 0;
    if (pid != m_lastFocusedPid) {
        qCDebug(lcLinux) << "focus moved from pid" << m_lastFocusedPid << "to" << pid;
        m_lastFocusedPid = pid;
        if (front && m_onActivation)
            m_onActivation(*front);
    }
    // A window of the watched application opened, closed, moved or changed its title.
    if (const qint64 watched = m_shell.watchedPid(); watched > 0)
        drawn(watched);
}

Result<QList<WindowInfo>> GnomeShellWindows::onScreenWindows()
{
    if (!m_shell.isSubscribed())
        return Failure{Texts::captureFailed(Texts::windowsNotListed())};
    QList<WindowInfo> windows;
    for (const GnomeShellWindow& window : m_shell.windows()) {
        if (!window.popup)
            windows.append(infoOf(window));
    }
    return windows;
}

QList<WindowInfo> GnomeShellWindows::popups(qint64 pid)
{
    QList<WindowInfo> popups;
    for (const GnomeShellWindow& window : m_shell.windows()) {
        if (window.popup && window.pid == pid)
            popups.append(infoOf(window));
    }
    return popups;
}

void GnomeShellWindows::prepareCapture(qint64 pid)
{
    m_shell.watchApplication(pid);
}

void GnomeShellWindows::onDrawn(std::function<void(qint64 pid)> drawn)
{
    m_drawn = std::move(drawn);
}

void GnomeShellWindows::drawn(qint64 pid)
{
    if (m_drawn)
        m_drawn(pid);
}

bool GnomeShellWindows::hasCurrentPixels(quint64)
{
    return true; // the compositor always holds every window's last picture
}

Result<QImage> GnomeShellWindows::windowPixels(quint64 windowId, QSize pixelSize)
{
    // The extension captures windows of the application it watches only (popups have their
    // application's pid); one D-Bus connection delivers the watch before the capture.
    for (const GnomeShellWindow& window : m_shell.windows()) {
        if (window.id == windowId) {
            if (window.pid != m_shell.watchedPid())
                m_shell.watchApplication(window.pid);
            break;
        }
    }
    Result<QImage> image = m_shell.capture(windowId, captureTimeout);
    if (!image || image.value().size() == pixelSize || pixelSize.isEmpty())
        return image;
    // The window changed size since it was listed; its pixels are given at the size asked for,
    // so positions on them still match the listed frame.
    return image.value().scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

std::unique_ptr<FrameStreamPort> GnomeShellWindows::frameStream(quint64, QSize)
{
    return nullptr; // never needed: pixels are always current
}

QList<ScreenInfo> GnomeShellWindows::screens()
{
    QList<ScreenInfo> screens;
    // The shell's own word, where its extension gives it: Qt takes a display laid out in
    // device pixels (GNOME's default at whole scales) for one that many logical pixels wide.
    for (const GnomeShellMonitor& monitor : m_shell.monitors())
        screens.append({QRectF(monitor.frame), monitor.scale});
    if (!screens.isEmpty())
        return screens;
    for (const QScreen* screen : qtScreensMainFirst())
        // Positions are logical pixels; captures hold the device pixels of a scaled display.
        screens.append({QRectF(screen->geometry()), screen->devicePixelRatio()});
    return screens;
}

QList<DisplayLayout> GnomeShellWindows::displayLayouts()
{
    QList<DisplayLayout> layouts;
    for (const GnomeShellMonitor& monitor : m_shell.monitors())
        layouts.append({QRectF(monitor.frame), 1.0});
    if (!layouts.isEmpty())
        return layouts;
    for (const QScreen* screen : qtScreensMainFirst())
        layouts.append({QRectF(screen->availableGeometry()), 1.0});
    return layouts;
}
