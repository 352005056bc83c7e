// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/CompositorWindows.h"

#include "core/Texts.h"
#include "platform/linux/CompositorConnection.h"
#include "platform/linux/LinuxLog.h"
#include "platform/linux/QtScreens.h"

#include <QScreen>
#include <algorithm>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

// Compositing a window into a picture takes tens of milliseconds; a compositor that takes this
// long is not going to answer.
constexpr std::chrono::milliseconds captureTimeout{3000};

WindowInfo infoOf(const CompositorWindow& window)
{
    return {window.id, window.pid, window.layer, QRectF(window.frame)};
}

} // namespace

CompositorWindows::CompositorWindows(CompositorConnection& compositor, QObject* parent)
    : QObject(parent), m_compositor(compositor)
{
    connect(&m_compositor, &CompositorConnection::windowsChanged, this,
            &CompositorWindows::windowsChanged);
    connect(&m_compositor, &CompositorConnection::applicationDrawn, this,
            &CompositorWindows::drawn);
}

CompositorWindows::~CompositorWindows() = default;

qint64 CompositorWindows::ownPid() const
{
    return getpid();
}

std::optional<RunningApp> CompositorWindows::frontmostApplication()
{
    const QList<CompositorWindow> windows = m_compositor.windows();
    const auto focused = std::find_if(windows.begin(), windows.end(),
                                      [](const CompositorWindow& w) { return w.focused; });
    if (focused == windows.end())
        return std::nullopt;
    // The compositor knows no application for some popups (a Qt menu): its other windows name it.
    QString name = focused->applicationName;
    for (const CompositorWindow& window : windows) {
        if (name.isEmpty() && window.pid == focused->pid)
            name = window.applicationName;
    }
    return RunningApp{focused->pid, name, !focused->popup};
}

bool CompositorWindows::isTerminated(qint64 pid)
{
    return pid <= 0 || (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

void CompositorWindows::onActivation(std::function<void(const RunningApp&)> handler)
{
    m_onActivation = std::move(handler);
}

void CompositorWindows::windowsChanged()
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
    if (const qint64 watched = m_compositor.watchedPid(); watched > 0)
        drawn(watched);
}

Result<QList<WindowInfo>> CompositorWindows::onScreenWindows()
{
    if (!m_compositor.isSubscribed())
        return Failure{Texts::captureFailed(Texts::windowsNotListed())};
    QList<WindowInfo> windows;
    for (const CompositorWindow& window : m_compositor.windows()) {
        if (!window.popup)
            windows.append(infoOf(window));
    }
    return windows;
}

QList<WindowInfo> CompositorWindows::popups(qint64 pid)
{
    QList<WindowInfo> popups;
    for (const CompositorWindow& window : m_compositor.windows()) {
        if (window.popup && window.pid == pid)
            popups.append(infoOf(window));
    }
    return popups;
}

void CompositorWindows::prepareCapture(qint64 pid)
{
    m_compositor.watchApplication(pid);
}

void CompositorWindows::onDrawn(std::function<void(qint64 pid)> drawn)
{
    m_drawn = std::move(drawn);
}

void CompositorWindows::drawn(qint64 pid)
{
    if (m_drawn)
        m_drawn(pid);
}

bool CompositorWindows::hasCurrentPixels(quint64)
{
    return true; // the compositor always holds every window's last picture
}

Result<QImage> CompositorWindows::windowPixels(quint64 windowId, QSize pixelSize)
{
    // The extension captures windows of the application it watches only (popups have their
    // application's pid); one D-Bus connection delivers the watch before the capture.
    for (const CompositorWindow& window : m_compositor.windows()) {
        if (window.id == windowId) {
            if (window.pid != m_compositor.watchedPid())
                m_compositor.watchApplication(window.pid);
            break;
        }
    }
    Result<QImage> image = m_compositor.capture(windowId, captureTimeout);
    if (!image || image.value().size() == pixelSize || pixelSize.isEmpty())
        return image;
    // The window changed size since it was listed; its pixels are given at the size asked for,
    // so positions on them still match the listed frame.
    return image.value().scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

std::unique_ptr<FrameStreamPort> CompositorWindows::frameStream(quint64, QSize)
{
    return nullptr; // never needed: pixels are always current
}

QList<ScreenInfo> CompositorWindows::screens()
{
    QList<ScreenInfo> screens;
    // The compositor's own word, where it gives it: Qt takes a display laid out in
    // device pixels (GNOME's default at whole scales) for one that many logical pixels wide.
    for (const CompositorMonitor& monitor : m_compositor.monitors())
        screens.append({QRectF(monitor.frame), monitor.scale});
    if (!screens.isEmpty())
        return screens;
    for (const QScreen* screen : qtScreensMainFirst())
        // Positions are logical pixels; captures hold the device pixels of a scaled display.
        screens.append({QRectF(screen->geometry()), screen->devicePixelRatio()});
    return screens;
}

QList<DisplayLayout> CompositorWindows::displayLayouts()
{
    QList<DisplayLayout> layouts;
    for (const CompositorMonitor& monitor : m_compositor.monitors())
        layouts.append({QRectF(monitor.frame), 1.0});
    if (!layouts.isEmpty())
        return layouts;
    for (const QScreen* screen : qtScreensMainFirst())
        layouts.append({QRectF(screen->availableGeometry()), 1.0});
    return layouts;
}
