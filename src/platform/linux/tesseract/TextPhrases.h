// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

/// How recognised words are grouped into the phrases that label controls.
namespace TextPhrases {

struct Phrase
{
    QString text;
    QRect box; // image pixels, top-left origin
};

/// A gap between two words wider than this many line heights starts a new phrase: labels of
/// neighbouring controls that share a baseline (a menu bar, a row of buttons) come apart.
inline constexpr double splitGap = 1.0;

/// Splits one recognised line (its words left to right) into phrases.
QList<Phrase> split(const QList<Phrase>& words);

/// The phrases of `primary`, then those of `secondary` that overlap none of them.
QList<Phrase> merge(QList<Phrase> primary, const QList<Phrase>& secondary);

/// Whether the image is mostly dark (light text on a dark theme); such images are inverted
/// before recognition.
bool isDark(const QImage& image);

} // namespace TextPhrases
