// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/CompositorWindow.h"

#include <algorithm>
#include <cmath>

namespace CompositorGeometry {

std::optional<QPointF> accessibleOrigin(const QSizeF& accessibleWindowSize,
                                        const QList<CompositorWindow>& windows)
{
    const auto distance = [&](const QRect& r) {
        return std::abs(r.width() - accessibleWindowSize.width()) +
               std::abs(r.height() - accessibleWindowSize.height());
    };
    for (const CompositorWindow& window : windows) {
        if (distance(window.buffer) == 0)
            return QPointF(window.buffer.topLeft());
    }
    const CompositorWindow* closest = nullptr;
    for (const CompositorWindow& window : windows) {
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

std::optional<QRectF> popupBeside(const QRectF& anchor, const QList<CompositorWindow>& popups)
{
    // The gap between two rectangles, 0 when they touch or overlap.
    const auto gap = [&](const QRect& r) {
        const double dx = std::max({0.0, r.left() - anchor.right(), anchor.left() - r.right()});
        const double dy = std::max({0.0, r.top() - anchor.bottom(), anchor.top() - r.bottom()});
        return dx + dy;
    };
    const CompositorWindow* nearest = nullptr;
    for (const CompositorWindow& popup : popups) {
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

} // namespace CompositorGeometry
