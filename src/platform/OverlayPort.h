// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>
#include <QString>

/// The on-screen highlight of the control to use next.
class OverlayPort
{
public:
    virtual ~OverlayPort() = default;

    /// Rings `frame` (global top-left-origin points) and shows `title` and `text` on a card
    /// beside it; moves the ring if it is already shown.
    virtual void show(const QRectF& frame, const QString& text, const QString& title) = 0;

    /// Takes the highlight off the screen; the window is kept for the next show.
    virtual void hide() = 0;
};
