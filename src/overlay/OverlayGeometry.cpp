// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay/OverlayGeometry.h"

#include <algorithm>

namespace OverlayGeometry {

namespace {

QRectF deviceRect(const DisplayArea& d)
{
    return QRectF(d.logical.topLeft(), d.logical.size() * d.devicePixelRatio);
}

// The display whose area (`areaOf` it) holds the point, or the nearest one for a point between
// displays; null when there are none.
template <typename AreaOf>
const DisplayArea* nearestDisplay(const QPointF& p, const QList<DisplayArea>& displays,
                                  AreaOf areaOf)
{
    const DisplayArea* nearest = nullptr;
    double nearestDistance = 0;
    for (const DisplayArea& d : displays) {
        const QRectF r = areaOf(d);
        const double distance = std::max({r.left() - p.x(), 0.0, p.x() - r.right()}) +
                                std::max({r.top() - p.y(), 0.0, p.y() - r.bottom()});
        if (!nearest || distance < nearestDistance) {
            nearest = &d;
            nearestDistance = distance;
        }
    }
    return nearest;
}

} // namespace

QPointF toLogical(const QPointF& p, const QList<DisplayArea>& displays)
{
    const DisplayArea* display = nearestDisplay(p, displays, deviceRect);
    if (!display)
        return p;
    const QPointF origin = display->logical.topLeft();
    return origin + (p - origin) / display->devicePixelRatio;
}

QRectF coveredArea(const QList<DisplayArea>& displays)
{
    QRectF area;
    for (const DisplayArea& d : displays)
        area = area.isNull() ? d.logical : area.united(d.logical);
    return area;
}

QRectF toOverlay(const QRectF& deviceFrame, const QList<DisplayArea>& displays,
                 const QRectF& covered)
{
    const QPointF topLeft = toLogical(deviceFrame.topLeft(), displays);
    const QPointF bottomRight = toLogical(deviceFrame.bottomRight(), displays);
    return QRectF(topLeft, bottomRight).translated(-covered.topLeft());
}

QRectF highlight(const QRectF& target)
{
    return target.adjusted(-outset, -outset, outset, outset);
}

QRectF ring(const QRectF& highlight, double phase)
{
    const double scale = 1 + (pulseScale - 1) * phase;
    QRectF grown(0, 0, highlight.width() * scale, highlight.height() * scale);
    grown.moveCenter(highlight.center());
    return grown;
}

QRectF displayAround(const QPointF& overlayPoint, const QList<DisplayArea>& displays,
                     const QRectF& covered)
{
    const DisplayArea* display = nearestDisplay(overlayPoint + covered.topLeft(), displays,
                                                [](const DisplayArea& d) { return d.logical; });
    return display ? display->logical.translated(-covered.topLeft()) : QRectF();
}

QPointF cardOrigin(const QRectF& r, const QRectF& area)
{
    double x = 0;
    double y = 0;
    if (r.right() + cardGap + cardWidth < area.right()) {
        x = r.right() + cardGap;
        y = r.center().y() - cardHeight / 2;
    } else if (r.left() - cardGap - cardWidth > area.left()) {
        x = r.left() - cardGap - cardWidth;
        y = r.center().y() - cardHeight / 2;
    } else {
        x = r.center().x() - cardWidth / 2;
        y = r.bottom() + cardGap + cardHeight < area.bottom() ? r.bottom() + cardGap
                                                              : r.top() - cardGap - cardHeight;
    }
    const double left = area.left() + edgeMargin;
    const double top = area.top() + edgeMargin;
    x = std::min(std::max(x, left), std::max(area.right() - cardWidth - edgeMargin, left));
    y = std::min(std::max(y, top), std::max(area.bottom() - cardHeight - edgeMargin, top));
    return {x, y};
}

} // namespace OverlayGeometry
