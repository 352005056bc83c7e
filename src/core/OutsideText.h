// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/// Texts that come from outside (a model's explanation, an application's labels, a server's
/// model names, window titles) made safe to lay out and to send on: runs of combining marks
/// and format characters are cut to a few, and the text to a number of user-perceived
/// characters and of UTF-16 code units, whichever comes first. A cluster can be made of any
/// number of code units, so counting clusters alone bounds nothing.
namespace OutsideText {

/// No script needs more marks on one letter; a text with hundreds is an attack on layout.
inline constexpr qsizetype maxMarksInARun = 8;
/// Code units allowed per user-perceived character, on average over a bounded text.
inline constexpr qsizetype unitsPerGrapheme = 8;

/// Whether `text` was already tame: nothing would be removed from it.
bool isTame(const QString& text, qsizetype maxGraphemes);

/// `text` with its mark runs collapsed and cut to at most `maxGraphemes` clusters and
/// `maxGraphemes * unitsPerGrapheme` code units, never inside a cluster or a surrogate pair.
QString tamed(const QString& text, qsizetype maxGraphemes);

} // namespace OutsideText
