// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/GuidePanel.h"
#include "platform/linux/gnome/GnomeShellWindow.h"

#include <QObject>
#include <QPoint>

#include <optional>

class GnomeShellConnection;

/// Places the panel on GNOME on Wayland, where only the compositor can: asks the shell
/// extension, and asks again when the panel's window first appears (a window shown a moment
/// ago is not yet known to the shell).
class ShellPanelPlacer : public QObject
{
    Q_OBJECT
public:
    ShellPanelPlacer(GnomeShellConnection& shell, QString title, QObject* parent = nullptr);

    GuidePanel::Placer placer();
    /// Gives the panel the keyboard, once it is where it was asked to be.
    void activate();

private:
    std::optional<GnomeShellWindow> ownWindow() const;
    std::optional<QRectF> ownFrame() const;
    void moveTo(QPoint topLeft);
    void send();
    void windowsChanged();

    GnomeShellConnection& m_shell;
    QString m_title;
    std::optional<QPoint> m_wanted;
    bool m_activate = false;
    bool m_arrived = false;
    int m_retries = 0;
};
