// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QMetaType>
#include <QPointF>
#include <QRect>
#include <QSizeF>
#include <QString>

#include <optional>

/// A window as a Wayland compositor describes it to Cuewell (GNOME Shell through Cuewell's
/// extension, KWin through Cuewell's script). Rectangles are in the compositor's logical
/// pixels: the frame is what a person sees of the window, the buffer what the application
/// draws (the frame plus any client-side shadow).
struct CompositorWindow
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
Q_DECLARE_METATYPE(CompositorWindow)

/// A monitor as the compositor describes it: where it is in logical pixels, and how many of its
/// device pixels make one (a window's picture has that many more).
struct CompositorMonitor
{
    QRect frame;
    double scale = 1.0;
};
Q_DECLARE_METATYPE(CompositorMonitor)

/// What the window geometry of a Wayland compositor means for Cuewell. Pure.
namespace CompositorGeometry {

/// Where the accessible extents of a window of `windows` (those of one application) count
/// from. Applications give extents relative to their own window on Wayland, with different
/// origins: GTK 3 from its buffer (shadow included), GTK 4 from the visible frame. The window
/// whose buffer has the accessible window's size counts from its buffer; otherwise the window
/// whose frame is closest in size counts from its frame, or from the content inside the title
/// bar and border a toolkit draws itself (Qt). Absent when `windows` is empty.
inline constexpr double maxDrawnBorder = 8;
std::optional<QPointF> accessibleOrigin(const QSizeF& accessibleWindowSize,
                                        const QList<CompositorWindow>& windows);

/// The frame of the popup of `popups` nearest `anchor` (touching or overlapping it counts as
/// nearest); absent when there is no popup.
std::optional<QRectF> popupBeside(const QRectF& anchor, const QList<CompositorWindow>& popups);

/// The window's frame cut out of a capture of its buffer. A capture whose size differs from
/// the buffer's (a scaled display) is cut in proportion. The empty image when the frame lies
/// outside the capture.
QImage cropToFrame(const QImage& buffer, const QRect& frame, const QRect& bufferRect);

} // namespace CompositorGeometry
