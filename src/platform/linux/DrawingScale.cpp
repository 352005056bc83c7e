// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/DrawingScale.h"

#include <cmath>

namespace {

// A toolkit may count the window manager's frame in its window (GTK 3 does, in its own pixels):
// a title bar and borders, on the accessible side or on the X side; GTK 4's X window holds a
// border of its own around its content (10 screen pixels a side at scale 2).
constexpr double widthSlack = 24;
constexpr double heightSlack = 64;

bool fits(const QSizeF& accessible, const QRectF& frame, double scale)
{
    return std::abs(frame.width() - accessible.width() * scale) <= widthSlack &&
           std::abs(frame.height() - accessible.height() * scale) <= heightSlack;
}

} // namespace

double drawingScale(const QSizeF& accessibleSize, const QList<QRectF>& frames)
{
    if (accessibleSize.width() <= 0 || accessibleSize.height() <= 0)
        return 1;
    for (const QRectF& frame : frames) {
        if (fits(accessibleSize, frame, 1))
            return 1;
    }
    for (const QRectF& frame : frames) {
        const double scale = std::round(frame.width() / accessibleSize.width() * 4) / 4;
        if (scale > 1 && fits(accessibleSize, frame, scale))
            return scale;
    }
    return 1;
}
