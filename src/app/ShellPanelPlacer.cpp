// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShellPanelPlacer.h"

#include "platform/linux/GnomeShellConnection.h"

#include <unistd.h>

namespace {

// A window that is still not where it was asked to be after this many requests is left where
// the compositor keeps it.
constexpr int maxRetries = 3;

} // namespace

ShellPanelPlacer::ShellPanelPlacer(GnomeShellConnection& shell, QString title, QObject* parent)
    : QObject(parent), m_shell(shell), m_title(std::move(title))
{
    connect(&m_shell, &GnomeShellConnection::windowsChanged, this,
            &ShellPanelPlacer::windowsChanged);
}

GuidePanel::Placer ShellPanelPlacer::placer()
{
    return {[this] { return ownFrame(); }, [this](QPoint topLeft) { moveTo(topLeft); }};
}

// The panel is this program's largest window (a tray menu or tooltip is smaller).
std::optional<QRectF> ShellPanelPlacer::ownFrame() const
{
    std::optional<QRect> largest;
    for (const GnomeShellWindow& window : m_shell.windows()) {
        if (window.pid == getpid() && !window.popup &&
            (!largest ||
             window.frame.width() * window.frame.height() > largest->width() * largest->height()))
            largest = window.frame;
    }
    return largest ? std::optional<QRectF>(QRectF(*largest)) : std::nullopt;
}

void ShellPanelPlacer::moveTo(QPoint topLeft)
{
    m_wanted = topLeft;
    m_arrived = false;
    m_retries = 0;
    send();
}

void ShellPanelPlacer::activate()
{
    m_activate = true;
    m_arrived = false;
    send();
}

void ShellPanelPlacer::send()
{
    const std::optional<QRectF> frame = ownFrame();
    const QPoint at = m_wanted ? *m_wanted : frame ? frame->topLeft().toPoint() : QPoint();
    if (frame)
        m_shell.placeOwnWindow(m_title, at, m_activate);
}

void ShellPanelPlacer::windowsChanged()
{
    const std::optional<QRectF> frame = ownFrame();
    if (m_arrived || !frame)
        return;
    if (!m_wanted || frame->topLeft().toPoint() == *m_wanted) {
        m_arrived = true;
        if (m_activate) {
            m_activate = false;
            m_shell.placeOwnWindow(m_title, frame->topLeft().toPoint(), true);
        }
        return;
    }
    if (m_retries++ < maxRetries)
        send();
}
