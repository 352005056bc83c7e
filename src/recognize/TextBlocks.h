// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QRect>

/// The parts of a captured window that may hold text, each read on its own, so that a change
/// to the window (a caret blinking, a spinner turning, a button going down, a menu opening)
/// only makes the parts it touches worth reading again. Parts are found by cutting along blank
/// space, which text never crosses: rows of one colour, and columns that repeat the column
/// beside them (so a background shaded from top to bottom counts as blank). Popups drawn over
/// the window are cut on their own, and their pixels are hidden from the window's parts.
namespace TextBlocks {

/// Blank rows at least this tall separate blocks: less than the space between interface
/// elements, more than the gap inside a glyph such as "i".
inline constexpr int rowGap = 4;
/// Blank columns at least this wide separate blocks: wider than the gap that still joins two
/// words of interface text (up to 48 px tall) into one phrase, so such words stay together.
inline constexpr int columnGap = 48;
/// Blank space of the window kept around a block's content, where there is that much.
inline constexpr int margin = 6;
/// Content lower than this holds no readable text (lowercase words without ascenders are
/// about 5 px tall in small interface fonts).
inline constexpr int minTextHeight = 4;

struct Block
{
    /// Where the block lies on the image.
    QRect rect;
    /// Parts of `rect` drawn over by a popup above the block's own layer.
    QList<QRect> hidden;
};

/// The blocks of `image` (32 bits per pixel) whose `popups` (rectangles of the image, in the
/// order they were drawn) lie over the window: the window's blocks first, then each popup's,
/// top to bottom and left to right within a band. Blank areas belong to no block, and a block
/// holds no content of another block of its layer.
QList<Block> of(const QImage& image, const QList<QRect>& popups = {});

/// The pixels a block is read from: its part of `image`, with the hidden parts painted in its
/// background colour (the commonest colour along its visible edges).
QImage pixelsOf(const QImage& image, const Block& block);

/// Paints each of `areas` of `image` (32 bits per pixel) in the commonest colour just around
/// it: what they hold is left out of the blocks.
void paintOver(QImage& image, const QList<QRect>& areas);

} // namespace TextBlocks
