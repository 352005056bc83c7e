// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/gnome/GnomeShellWindow.h"

#include <QDBusMetaType>

QDBusArgument& operator<<(QDBusArgument& argument, const GnomeShellWindow& window)
{
    argument.beginStructure();
    argument << window.id << quint32(window.pid) << quint32(window.layer)
             << QString::fromLatin1(window.popup ? "popup" : "window") << window.focused
             << window.applicationName << window.frame << window.buffer;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, GnomeShellWindow& window)
{
    quint32 pid = 0;
    quint32 layer = 0;
    QString kind;
    argument.beginStructure();
    argument >> window.id >> pid >> layer >> kind >> window.focused >> window.applicationName >>
        window.frame >> window.buffer;
    argument.endStructure();
    window.pid = pid;
    window.layer = int(layer);
    window.popup = kind == QLatin1String("popup");
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const GnomeShellMonitor& monitor)
{
    argument.beginStructure();
    argument << monitor.frame.x() << monitor.frame.y() << monitor.frame.width()
             << monitor.frame.height() << monitor.scale;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, GnomeShellMonitor& monitor)
{
    int x = 0, y = 0, width = 0, height = 0;
    argument.beginStructure();
    argument >> x >> y >> width >> height >> monitor.scale;
    argument.endStructure();
    monitor.frame = QRect(x, y, width, height);
    return argument;
}

void registerGnomeShellWindowTypes()
{
    qDBusRegisterMetaType<GnomeShellWindow>();
    qDBusRegisterMetaType<QList<GnomeShellWindow>>();
    qDBusRegisterMetaType<GnomeShellMonitor>();
    qDBusRegisterMetaType<QList<GnomeShellMonitor>>();
}
