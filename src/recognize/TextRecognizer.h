#pragma once

#include "core/TextLine.h"
#include "platform/TextRecognitionPort.h"
#include "recognize/RecognitionCache.h"

#include <QList>

/// The lines of text on a captured window, top of the window first.
namespace TextRecognizer {

/// Blocks while the engine runs; never fails (a failure gives the empty list). With a cache,
/// pixels recognised before are not recognised again, and the lines are those the engine
/// gave them.
QList<TextLine> recognize(TextRecognitionPort& engine, const QImage& image,
                          const QRectF& windowFrame, RecognitionCache* cache = nullptr);

/// Orders the engine's lines by their top edge (highest first, stable), drops lines without a
/// candidate and maps the normalised bottom-left boxes onto `windowFrame`.
QList<TextLine> placeOnWindow(QList<RecognizedLine> lines, const QRectF& windowFrame);

} // namespace TextRecognizer
