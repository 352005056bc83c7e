// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/GuideElement.h"
#include "core/TextLine.h"

#include <QList>

/// Combines a window's accessibility elements and its recognised text into one numbered list.
namespace ElementMerging {

inline constexpr qsizetype maxAccessibilityElements = 200;
inline constexpr qsizetype maxTextElements = 80;
inline constexpr qsizetype shortestLine = 2;

/// Accessibility elements in the window or menu bar, then recognised lines that no
/// accessibility title already contains; ids 1, 2, 3, ... in list order. Pure.
QList<GuideElement> merge(const QList<GuideElement>& ax, const QList<TextLine>& lines,
                          const QRectF& window);

} // namespace ElementMerging
