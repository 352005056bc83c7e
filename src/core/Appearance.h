// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

/// The look the panel and the highlight share: the orange that marks what to use next, and
/// text sizes relative to the desktop's font.
namespace Appearance {

inline const QColor orange{255, 149, 0};

inline constexpr double captionScale = 0.85;
inline constexpr double calloutScale = 0.95;
inline constexpr double titleScale = 1.5;

} // namespace Appearance
