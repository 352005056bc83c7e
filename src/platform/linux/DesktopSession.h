// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <functional>

/// The kind of desktop session Cuewell was started in, as its environment tells, and so the
/// backend that serves it.
struct DesktopSession
{
    enum class Kind
    {
        /// An X server to speak to (an X11 session, or XWayland outside a Wayland session).
        x11,
        gnomeWayland,
        kdeWayland,
        /// A Wayland session of a desktop Cuewell cannot serve yet.
        unsupportedWayland,
        /// No display at all (a text console, a remote shell).
        none,
    };

    Kind kind = Kind::none;
    /// The session as a person would name it ("Hyprland on Wayland"); empty without one.
    QString name;

    /// `x11DisplayAnswers` tells whether the X display named in the environment accepts a
    /// connection. In a Wayland session it is not asked: XWayland shows only some windows.
    static DesktopSession of(const QProcessEnvironment& environment,
                             const std::function<bool()>& x11DisplayAnswers);
};
