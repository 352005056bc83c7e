// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/linux/CompositorWindow.h"

#include <QDBusArgument>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QPointF>
#include <QRect>
#include <QSizeF>
#include <QString>

#include <optional>

/// A window as Cuewell's GNOME Shell extension sends it.
using GnomeShellWindow = CompositorWindow;

using GnomeShellMonitor = CompositorMonitor;

QDBusArgument& operator<<(QDBusArgument& argument, const GnomeShellMonitor& monitor);
const QDBusArgument& operator>>(const QDBusArgument& argument, GnomeShellMonitor& monitor);

QDBusArgument& operator<<(QDBusArgument& argument, const GnomeShellWindow& window);
const QDBusArgument& operator>>(const QDBusArgument& argument, GnomeShellWindow& window);

/// Makes windows, monitors and lists of them known to QtDBus; needed before the extension's proxy
/// is used. Safe to call again.
void registerGnomeShellWindowTypes();
