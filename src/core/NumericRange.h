#pragma once

#include <QtGlobal>

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

} // namespace NumericRange
