// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/GuideElement.h"

#include <QList>

/// Which elements of the merged list are worth the model's tokens. The list the user sees keeps
/// them all; the model is spared recognised text that names nothing a person could click. Pure.
namespace PromptDiet {

/// Left over once the accessibility labels are taken out of a recognised line, this many
/// letters or digits at most are reading noise (a glyph read as "wv" or "X").
inline constexpr qsizetype noiseCharacters = 2;

/// For each element, whether it goes to the model. Accessibility elements always do. A recognised
/// line does not when it has fewer than two letters or digits (an icon's glyph, a stray mark),
/// or when it only repeats the labels of the accessibility elements it lies over ("wv Apply"
/// over the Apply button, "Tab1 | Tab2_" over two tabs), give or take `noiseCharacters`.
QList<bool> worthSending(const QList<GuideElement>& elements);

} // namespace PromptDiet
