// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

/// Where the highlight and its card go. Pure; all rectangles here are in the overlay's own
/// coordinates (logical pixels from the top-left corner of the area covering every display)
/// unless a name says otherwise.
namespace OverlayGeometry {

inline constexpr double outset = 6;
inline constexpr double radius = 9;
inline constexpr double cardGap = 12;
inline constexpr double edgeMargin = 8;
inline constexpr double cardWidth = 270;
inline constexpr double cardHeight = 96;
inline constexpr double pulseScale = 1.3;

/// A display as the window system gives it: its geometry in logical pixels and how many
/// device pixels make one logical pixel.
struct DisplayArea
{
    QRectF logical;
    double devicePixelRatio = 1;
};

/// Converts a point from global device pixels (the space of element frames) to global logical
/// pixels. Each display keeps its origin; its extent is divided by its ratio.
QPointF toLogical(const QPointF& devicePoint, const QList<DisplayArea>& displays);

/// The element's frame in the overlay's coordinates, given the area `covered` by all displays
/// in global logical pixels.
QRectF toOverlay(const QRectF& deviceFrame, const QList<DisplayArea>& displays,
                 const QRectF& covered);

/// The union of the displays' logical geometries.
QRectF coveredArea(const QList<DisplayArea>& displays);

/// The highlight around a target: grown by the outset on every side.
QRectF highlight(const QRectF& target);

/// The ring at a pulse phase from 0 (at rest) to 1 (fully grown): scaled about its centre.
QRectF ring(const QRectF& highlight, double phase);

/// The display holding `overlayPoint` (or the nearest one), in the overlay's coordinates.
QRectF displayAround(const QPointF& overlayPoint, const QList<DisplayArea>& displays,
                     const QRectF& covered);

/// The card's top-left corner for a highlight on the display `area`: right of it, else left,
/// else centred below, else above; then kept inside the display's margins.
QPointF cardOrigin(const QRectF& highlight, const QRectF& area);

} // namespace OverlayGeometry
