// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/GuideElement.h"
#include "core/TextLine.h"

#include <QList>

/// Names the text fields, combo boxes and similar controls that have no label of their own
/// after the text a person reads as their label: right before them on the same line, or just
/// above them. Without it a model sees an "(unlabeled)" field beside a separate text, and picks
/// the text. Pure.
namespace FieldLabels {

/// The farthest a label on the same line may stand before its field.
inline constexpr double sameLineReach = 160;
/// The farthest a label may stand above its field.
inline constexpr double aboveReach = 32;
/// How far a label may overlap its field's edge, or start left of a field below it.
inline constexpr double slack = 8;
/// A field more than this many label heights tall is labelled only from above.
inline constexpr double linesHigh = 3;

/// `elements` with each unlabelled field named after the nearest of `texts` on its line
/// before it, else the nearest just above it; a text that lies within another element is that
/// element's own and labels nothing.
QList<GuideElement> nameUnlabelled(QList<GuideElement> elements, const QList<TextLine>& texts);

} // namespace FieldLabels
