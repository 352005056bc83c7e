// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>
#include <QString>

/// A line of text recognised on a window, with its box in global top-left-origin points.
struct TextLine
{
    QString text;
    QRectF frame;

    bool operator==(const TextLine&) const = default;
};
