// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

/// How many screen pixels an application draws for each pixel it counts in (GDK_SCALE=2,
/// QT_SCALE_FACTOR=1.5 on X11): its window on screen against the size it gives that window
/// over accessibility, in quarters. 1 when one of `frames` has about that size, or none is a
/// multiple of it.
double drawingScale(const QSizeF& accessibleSize, const QList<QRectF>& frames);
