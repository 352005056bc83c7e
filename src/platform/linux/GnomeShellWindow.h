// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusArgument>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QPointF>
#include <QRect>
#include <QSizeF>
#include <QString>

#include <optional>

/// A window as Cuewell's GNOME Shell extension describes it. Rectangles are in the shell's
/// stage pixels: the frame is what a person sees of the window, the buffer what the
/// application draws (the frame plus any client-side shadow).
struct GnomeShellWindow
{
    quint64 id = 0;
    qint64 pid = 0;
    int layer = 0;
    /// A menu, list, popover or tooltip rather than a window of its own.
    bool popup = false;
    bool focused = false;
    QString applicationName;
    QRect frame;
    QRect buffer;
};
Q_DECLARE_METATYPE(GnomeShellWindow)

/// A monitor as the extension describes it: where it is in logical pixels, and how many of its
/// device pixels make one (a window's picture has that many more).
struct GnomeShellMonitor
{
    QRect frame;
    double scale = 1.0;
};
Q_DECLARE_METATYPE(GnomeShellMonitor)

QDBusArgument& operator<<(QDBusArgument& argument, const GnomeShellMonitor& monitor);
const QDBusArgument& operator>>(const QDBusArgument& argument, GnomeShellMonitor& monitor);

QDBusArgument& operator<<(QDBusArgument& argument, const GnomeShellWindow& window);
const QDBusArgument& operator>>(const QDBusArgument& argument, GnomeShellWindow& window);

/// Makes windows, monitors and lists of them known to QtDBus; needed before the extension's proxy
/// is used. Safe to call again.
void registerGnomeShellWindowTypes();

/// What the window geometry of GNOME on Wayland means for Cuewell. Pure.
namespace GnomeShellGeometry {

/// Where the accessible extents of a window of `windows` (those of one application) count
/// from. Applications give extents relative to their own window on Wayland, with different
/// origins: GTK 3 from its buffer (shadow included), GTK 4 from the visible frame. The window
/// whose buffer has the accessible window's size counts from its buffer; otherwise the window
/// whose frame is closest in size counts from its frame, or from the content inside the title
/// bar and border a toolkit draws itself (Qt). Absent when `windows` is empty.
inline constexpr double maxDrawnBorder = 8;
std::optional<QPointF> accessibleOrigin(const QSizeF& accessibleWindowSize,
                                        const QList<GnomeShellWindow>& windows);

/// The frame of the popup of `popups` nearest `anchor` (touching or overlapping it counts as
/// nearest); absent when there is no popup.
std::optional<QRectF> popupBeside(const QRectF& anchor, const QList<GnomeShellWindow>& popups);

/// The window's frame cut out of a capture of its buffer. A capture whose size differs from
/// the buffer's (a scaled display) is cut in proportion. The empty image when the frame lies
/// outside the capture.
QImage cropToFrame(const QImage& buffer, const QRect& frame, const QRect& bufferRect);

} // namespace GnomeShellGeometry
