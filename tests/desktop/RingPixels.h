// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>

#include <algorithm>

/// The ring's orange, at any point of its pulse.
inline bool isRingOrange(const QColor& c)
{
    return c.red() > 200 && c.green() > 90 && c.green() < 235 && c.red() - c.blue() > 100;
}

/// On how many sides of `highlight` (a ring at rest) the ring is drawn on `screen`: orange
/// across the middle of each side.
inline int orangeSides(const QImage& screen, const QRectF& highlight)
{
    const QRect r = highlight.toRect();
    const auto anyOrange = [&](QPoint from, QPoint step) {
        for (int i = -4; i <= 4; ++i) {
            if (isRingOrange(screen.pixelColor(from + step * i)))
                return true;
        }
        return false;
    };
    return anyOrange({r.center().x(), r.top()}, {0, 1}) +
           anyOrange({r.center().x(), r.bottom()}, {0, 1}) +
           anyOrange({r.left(), r.center().y()}, {1, 0}) +
           anyOrange({r.right(), r.center().y()}, {1, 0});
}

/// How many sides of `highlight` lie on `screen` at all: a control at the screen's edge has its
/// ring's outer side beyond it.
inline int sidesOnScreen(const QImage& screen, const QRectF& highlight)
{
    const QRect r = highlight.toRect();
    const QRect all = screen.rect();
    return (r.top() >= 0) + (r.bottom() < all.height()) + (r.left() >= 0) +
           (r.right() < all.width());
}

/// The bounding box of the strongly coloured pixels within `area` of `screen` (grey, white and
/// black left out); empty when there are none.
inline QRect colouredBox(const QImage& screen, const QRect& area)
{
    QRect box;
    const QRect within = area.intersected(screen.rect());
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) {
            const QColor c = screen.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) -
                    std::min({c.red(), c.green(), c.blue()}) >
                100)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}
