// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QRectF>

/// A window's pixels with the frame they show (global top-left-origin points). The image is
/// the frame's size times the main display's scale factor.
struct CapturedWindow
{
    QImage image;
    QRectF frame;
    /// The window system's id of the window taken (0 when unknown).
    quint64 windowId = 0;
    /// Where popups of the application were drawn over the window, in the image's pixels, in
    /// the order they were drawn.
    QList<QRect> popups;
    /// With popups: the same area with the window alone, what it shows under them. Text is read
    /// off it in the same parts as before the popup opened, so what was read then is not read
    /// again.
    QImage windowAlone = {};
};
