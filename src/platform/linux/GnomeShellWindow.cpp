// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/GnomeShellWindow.h"

#include <QDBusMetaType>

#include <algorithm>
#include <cmath>

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

namespace GnomeShellGeometry {

std::optional<QPointF> accessibleOrigin(const QSizeF& accessibleWindowSize,
                                        const QList<GnomeShellWindow>& windows)
{
    const auto distance = [&](const QRect& r) {
        return std::abs(r.width() - accessibleWindowSize.width()) +
               std::abs(r.height() - accessibleWindowSize.height());
    };
    for (const GnomeShellWindow& window : windows) {
        if (distance(window.buffer) == 0)
            return QPointF(window.buffer.topLeft());
    }
    const GnomeShellWindow* closest = nullptr;
    for (const GnomeShellWindow& window : windows) {
        if (!closest || distance(window.frame) < distance(closest->frame))
            closest = &window;
    }
    if (!closest)
        return std::nullopt;
    // Qt draws its own title bar and a thin border inside the frame on Wayland, and counts
    // from the content within: the border is as wide on every side, the title bar tops it.
    const double side = (closest->frame.width() - accessibleWindowSize.width()) / 2;
    const double top = closest->frame.height() - accessibleWindowSize.height() - side;
    if (side > 0 && side <= maxDrawnBorder && top >= side)
        return QPointF(closest->frame.topLeft()) + QPointF(side, top);
    return QPointF(closest->frame.topLeft());
}

std::optional<QRectF> popupBeside(const QRectF& anchor, const QList<GnomeShellWindow>& popups)
{
    // The gap between two rectangles, 0 when they touch or overlap.
    const auto gap = [&](const QRect& r) {
        const double dx = std::max({0.0, r.left() - anchor.right(), anchor.left() - r.right()});
        const double dy = std::max({0.0, r.top() - anchor.bottom(), anchor.top() - r.bottom()});
        return dx + dy;
    };
    const GnomeShellWindow* nearest = nullptr;
    for (const GnomeShellWindow& popup : popups) {
        if (!nearest || gap(popup.frame) < gap(nearest->frame))
            nearest = &popup;
    }
    return nearest ? std::optional<QRectF>(QRectF(nearest->frame)) : std::nullopt;
}

QImage cropToFrame(const QImage& buffer, const QRect& frame, const QRect& bufferRect)
{
    if (buffer.isNull() || bufferRect.isEmpty())
        return {};
    const double sx = double(buffer.width()) / bufferRect.width();
    const double sy = double(buffer.height()) / bufferRect.height();
    const QRect wanted(int(std::lround((frame.x() - bufferRect.x()) * sx)),
                       int(std::lround((frame.y() - bufferRect.y()) * sy)),
                       int(std::lround(frame.width() * sx)), int(std::lround(frame.height() * sy)));
    const QRect kept = wanted.intersected(buffer.rect());
    return kept.isEmpty() ? QImage() : buffer.copy(kept);
}

} // namespace GnomeShellGeometry

void registerGnomeShellWindowTypes()
{
    qDBusRegisterMetaType<GnomeShellWindow>();
    qDBusRegisterMetaType<QList<GnomeShellWindow>>();
    qDBusRegisterMetaType<GnomeShellMonitor>();
    qDBusRegisterMetaType<QList<GnomeShellMonitor>>();
}
