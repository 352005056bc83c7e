// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PanelPlacement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace PanelPlacement {

namespace {

enum class Side
{
    left,
    right,
    above,
    below
};

// The screen showing most of `window` (its first screen when it shows none).
QRectF screenOf(const QList<QRectF>& screens, const QRectF& window)
{
    QRectF best = screens.first();
    double bestArea = -1;
    for (const QRectF& screen : screens) {
        const QRectF common = screen.intersected(window);
        const double area = common.width() * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best;
}

// `panel` moved inside `screen`, its margins kept where the screen is large enough.
QRectF inside(const QRectF& screen, QRectF panel)
{
    const double right = screen.right() - edgeMargin - panel.width();
    const double bottom = screen.bottom() - edgeMargin - panel.height();
    panel.moveLeft(std::max(screen.left() + edgeMargin, std::min(panel.left(), right)));
    panel.moveTop(std::max(screen.top() + edgeMargin, std::min(panel.top(), bottom)));
    if (panel.right() > screen.right())
        panel.moveLeft(screen.left());
    if (panel.bottom() > screen.bottom())
        panel.moveTop(screen.top());
    return panel;
}

double roomOn(Side side, const QRectF& screen, const QRectF& window)
{
    switch (side) {
    case Side::left:
        return window.left() - screen.left();
    case Side::right:
        return screen.right() - window.right();
    case Side::above:
        return window.top() - screen.top();
    case Side::below:
        return screen.bottom() - window.bottom();
    }
    return 0;
}

double needed(Side side, const QSizeF& panel)
{
    const bool horizontal = side == Side::left || side == Side::right;
    return (horizontal ? panel.width() : panel.height()) + gap + edgeMargin;
}

QRectF besideOn(Side side, const QRectF& screen, const QRectF& window, const QSizeF& size)
{
    QRectF panel(window.topLeft(), size);
    switch (side) {
    case Side::left:
        panel.moveRight(window.left() - gap);
        break;
    case Side::right:
        panel.moveLeft(window.right() + gap);
        break;
    case Side::above:
        panel.moveBottom(window.top() - gap);
        break;
    case Side::below:
        panel.moveTop(window.bottom() + gap);
        break;
    }
    return inside(screen, panel);
}

// Whether the panel comes nearer to `r` than the gap it keeps.
bool crowds(const QRectF& panel, const QRectF& r)
{
    return panel.intersects(r.adjusted(-gap, -gap, gap, gap));
}

bool crowdsAny(const QRectF& panel, const QList<QRectF>& rects)
{
    return std::any_of(rects.begin(), rects.end(),
                       [&](const QRectF& r) { return crowds(panel, r); });
}

// Places to try: where the panel is, and against each side of what it must keep clear of, of
// the window and of the screen's edges, in every combination.
QList<QRectF> candidates(const QRectF& screen, const std::optional<QRectF>& window,
                         const QList<QRectF>& keepClear, const QRectF& panel)
{
    QList<double> xs{panel.left(), screen.left() + edgeMargin,
                     screen.right() - edgeMargin - panel.width()};
    QList<double> ys{panel.top(), screen.top() + edgeMargin,
                     screen.bottom() - edgeMargin - panel.height()};
    QList<QRectF> edges = keepClear;
    if (window)
        edges.append(*window);
    for (const QRectF& r : edges) {
        xs << r.left() - gap - panel.width() << r.right() + gap;
        ys << r.top() - gap - panel.height() << r.bottom() + gap;
    }
    QList<QRectF> places;
    for (const double x : xs) {
        for (const double y : ys)
            places.append(inside(screen, QRectF(QPointF(x, y), panel.size())));
    }
    return places;
}

double distance(const QRectF& a, const QRectF& b)
{
    const QPointF d = a.topLeft() - b.topLeft();
    return std::hypot(d.x(), d.y());
}

// The place nearest `panel` on `screens` that keeps clear of all of `keepClear`, preferring
// places that keep clear of `window` as well.
std::optional<QRectF> nearestClearPlace(const QList<QRectF>& screens,
                                        const std::optional<QRectF>& window,
                                        const QList<QRectF>& keepClear, const QRectF& panel)
{
    std::optional<QRectF> best;
    bool bestCoversWindow = true;
    double bestDistance = std::numeric_limits<double>::max();
    for (const QRectF& screen : screens) {
        for (const QRectF& place : candidates(screen, window, keepClear, panel)) {
            if (crowdsAny(place, keepClear))
                continue;
            const bool coversWindow = window && crowds(place, *window);
            const double d = distance(place, panel);
            if (!best || (bestCoversWindow && !coversWindow) ||
                (coversWindow == bestCoversWindow && d < bestDistance)) {
                best = place;
                bestCoversWindow = coversWindow;
                bestDistance = d;
            }
        }
    }
    return best;
}

} // namespace

QRectF besideWindow(const QList<QRectF>& screens, const std::optional<QRectF>& window,
                    const QSizeF& panel)
{
    if (screens.isEmpty())
        return QRectF(QPointF(), panel);
    if (!window) {
        const QRectF& screen = screens.first();
        return inside(screen, QRectF(QPointF(screen.right() - edgeMargin - panel.width(),
                                             screen.top() + edgeMargin),
                                     panel));
    }
    const QRectF screen = screenOf(screens, *window);
    // The side the panel fits on with the most room to spare; beside it rather than above or
    // below, the panel being tall, when the spare room is the same.
    std::optional<Side> best;
    double bestSpare = 0;
    for (const Side side : {Side::right, Side::left, Side::below, Side::above}) {
        const double spare = roomOn(side, screen, *window) - needed(side, panel);
        if (spare >= 0 && (!best || spare > bestSpare)) {
            best = side;
            bestSpare = spare;
        }
    }
    if (best)
        return besideOn(*best, screen, *window, panel);
    const bool rightRoomier =
        roomOn(Side::right, screen, *window) >= roomOn(Side::left, screen, *window);
    const double x =
        rightRoomier ? screen.right() - edgeMargin - panel.width() : screen.left() + edgeMargin;
    return inside(screen, QRectF(QPointF(x, screen.bottom()), panel));
}

QRectF clearOf(const QList<QRectF>& screens, const std::optional<QRectF>& window,
               const QList<QRectF>& keepClear, const QRectF& panel)
{
    if (!crowdsAny(panel, keepClear) || screens.isEmpty())
        return panel;
    // On the monitor the person is working on, even over a part of the window, before another.
    const QRectF home = screenOf(screens, window.value_or(keepClear.first()));
    std::optional<QRectF> best = nearestClearPlace({home}, window, keepClear, panel);
    if (!best)
        best = nearestClearPlace(screens, window, keepClear, panel);
    if (!best && keepClear.size() > 1)
        return clearOf(screens, window, {keepClear.first()}, panel);
    // A ring too wide for the panel to clear (a whole row of a dialog on a small screen): its
    // middle, where the user clicks, is kept clear.
    const QRectF& ring = keepClear.value(0);
    if (!best && keepClear.size() == 1 && ring.width() > middleOfWide * 2) {
        const QRectF middle(ring.center().x() - middleOfWide / 2, ring.y(), middleOfWide,
                            ring.height());
        return clearOf(screens, window, {middle}, panel);
    }
    return best.value_or(panel);
}

} // namespace PanelPlacement
