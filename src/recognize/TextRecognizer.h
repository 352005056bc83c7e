// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/CapturedWindow.h"
#include "core/TextLine.h"
#include "platform/TextRecognitionPort.h"
#include "recognize/RecognitionCache.h"

#include <QList>

/// The lines of text on a captured window, top of the window first.
namespace TextRecognizer {

/// Windows larger than this many pixels are read shrunk: the engine may read each block
/// enlarged, and its work must stay bounded whatever the window's size.
inline constexpr double maxPixels = 2048.0 * 2048;

/// Reads each block of the window that may hold text on its own (see TextBlocks). Blocks while
/// the engine runs; never fails (a failure gives the empty list). With a cache, blocks whose
/// pixels were read before are not read again, and the lines are the same as without it.
/// The areas of `known` (in the window frame's space) hold text known already, which is not
/// read: the engine's time goes by the lines it reads, and a document's can be hundreds. A
/// popup open over them shows its own text there, which is read; but for the areas of
/// `knownOnPopups`, the items of open popups whose text is known too.
QList<TextLine> recognize(TextRecognitionPort& engine, const CapturedWindow& window,
                          RecognitionCache* cache = nullptr, const QList<QRectF>& known = {},
                          const QList<QRectF>& knownOnPopups = {});

/// Orders the engine's lines by their top edge (highest first, stable), drops lines without a
/// candidate and maps the normalised bottom-left boxes onto `windowFrame`.
QList<TextLine> placeOnWindow(QList<RecognizedLine> lines, const QRectF& windowFrame);

} // namespace TextRecognizer
