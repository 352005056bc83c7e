#pragma once

#include "core/GuideElement.h"

#include <QList>
#include <QRectF>

#include <optional>

/// The result of one accessibility read: menu-bar items first, then the window's elements in
/// breadth-first order, and the frame of the window that was read.
struct AXSnapshot
{
    QList<GuideElement> elements;
    std::optional<QRectF> windowFrame;
};
