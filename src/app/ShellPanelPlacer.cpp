// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShellPanelPlacer.h"

#include "platform/linux/gnome/GnomeShellConnection.h"

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
std::optional<GnomeShellWindow> ShellPanelPlacer::ownWindow() const
{
    std::optional<GnomeShellWindow> largest;
    for (const GnomeShellWindow& window : m_shell.windows()) {
        if (window.pid == getpid() && !window.popup &&
            (!largest || window.frame.width() * window.frame.height() >
                             largest->frame.width() * largest->frame.height()))
            largest = window;
    }
    return largest;
}

std::optional<QRectF> ShellPanelPlacer::ownFrame() const
{
    const std::optional<GnomeShellWindow> own = ownWindow();
    return own ? std::optional<QRectF>(QRectF(own->frame)) : std::nullopt;
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
    const std::optional<GnomeShellWindow> own = ownWindow();
    if (!own)
        return;
    // Once the panel has had the keyboard, it is never asked for again: by then the person may
    // have gone back to the application.
    if (own->focused)
        m_activate = false;
    if (m_arrived)
        return;
    const QPoint at = own->frame.topLeft();
    if (!m_wanted || at == *m_wanted) {
        m_arrived = true;
        if (m_activate) {
            m_activate = false;
            m_shell.placeOwnWindow(m_title, at, true);
        }
        return;
    }
    if (m_retries++ < maxRetries)
        send();
}
