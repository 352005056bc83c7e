// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/DesktopSession.h"

#include <QStringList>

namespace {

bool names(const QStringList& desktops, QLatin1String desktop)
{
    return desktops.contains(desktop, Qt::CaseInsensitive);
}

} // namespace

DesktopSession DesktopSession::of(const QProcessEnvironment& environment,
                                  const std::function<bool()>& x11DisplayAnswers)
{
    // XDG_CURRENT_DESKTOP lists the desktop first and what it is compatible with after
    // ("ubuntu:GNOME", "KDE"); Plasma 5 also sets KDE_FULL_SESSION.
    const QStringList desktops =
        environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(u':', Qt::SkipEmptyParts);
    const bool wayland =
        environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland") &&
        !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    if (wayland) {
        if (names(desktops, QLatin1String("GNOME")))
            return {Kind::gnomeWayland, QStringLiteral("GNOME on Wayland")};
        if (names(desktops, QLatin1String("KDE")) ||
            environment.value(QStringLiteral("KDE_FULL_SESSION")) == QLatin1String("true"))
            return {Kind::kdeWayland, QStringLiteral("KDE Plasma on Wayland")};
        const QString desktop = desktops.isEmpty()
                                    ? environment.value(QStringLiteral("XDG_SESSION_DESKTOP"))
                                    : desktops.first();
        return {Kind::unsupportedWayland, desktop.isEmpty()
                                              ? QStringLiteral("an unnamed desktop on Wayland")
                                              : desktop + QStringLiteral(" on Wayland")};
    }
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty() && x11DisplayAnswers()) {
        const QString desktop = desktops.isEmpty() ? QStringLiteral("X11") : desktops.first();
        return {Kind::x11,
                desktop == QLatin1String("X11") ? desktop : desktop + QStringLiteral(" on X11")};
    }
    return {Kind::none, {}};
}
