// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/OutsideText.h"
#include "core/Texts.h"

#include <QString>

/// What is drawn of texts that come from outside (a model's explanation, an application's
/// labels, a server's model names): the start of the text, at most so many user-perceived
/// characters (and code units), mark runs collapsed, with an ellipsis where it was cut.
namespace DisplayText {

/// Enough for any sentence a person reads in a panel or on a card.
inline constexpr qsizetype maxGraphemes = 500;
/// Enough for a control's label or a model's name.
inline constexpr qsizetype maxNameGraphemes = 120;

inline QString bounded(const QString& text, qsizetype max = maxGraphemes)
{
    const QString kept = OutsideText::tamed(text, max);
    return kept.size() == text.size() ? text : kept + Texts::ellipsis;
}

} // namespace DisplayText
