// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <optional>

/// Conversions of untrusted floating-point numbers to integers without leaving their range.
namespace NumericRange {

/// Magnitudes at or beyond this do not convert to a signed 64-bit integer. It stays a little
/// below 2^63, where doubles are too coarse to tell whether a value still fits.
inline constexpr double int64Bound = 9.2e18;

/// `value` truncated toward zero, or absent when it is not finite or does not fit.
inline std::optional<qint64> truncatedInt64(double value)
{
    const double truncated = std::trunc(value);
    if (!std::isfinite(truncated) || std::abs(truncated) >= int64Bound)
        return std::nullopt;
    return static_cast<qint64>(truncated);
}

/// No screen coordinate or extent lies beyond this; values past it are clamped where
/// rectangles enter the program, so later conversions to integer pixels stay in range.
inline constexpr double maxCoordinate = 1e6;

/// `value` clamped into [-maxCoordinate, maxCoordinate]; not a number gives 0.
inline double boundedCoordinate(double value)
{
    if (std::isnan(value))
        return 0;
    return std::clamp(value, -maxCoordinate, maxCoordinate);
}

/// `rect` with its origin and extent clamped into the coordinate range.
inline QRectF boundedRect(const QRectF& rect)
{
    return QRectF(boundedCoordinate(rect.x()), boundedCoordinate(rect.y()),
                  boundedCoordinate(rect.width()), boundedCoordinate(rect.height()));
}

} // namespace NumericRange
