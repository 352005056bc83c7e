// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>

/// A scrolled area that holds controls out of its view: where to scroll, and which way. The
/// step that cannot find its control on screen rings it.
struct ScrollHint
{
    /// The visible part of the area, in global top-left-origin points.
    QRectF area;
    /// The controls out of view lie below (or beside, to the right); otherwise above.
    bool down = true;

    friend bool operator==(const ScrollHint&, const ScrollHint&) = default;
};
