#include "recognize/TextRecognizer.h"

#include <algorithm>

namespace TextRecognizer {

QList<TextLine> placeOnWindow(QList<RecognizedLine> lines, const QRectF& windowFrame)
{
    // The normalised box has its origin bottom-left, so its top edge is its largest y.
    std::stable_sort(lines.begin(), lines.end(),
                     [](const RecognizedLine& a, const RecognizedLine& b) {
                         return a.box.y() + a.box.height() > b.box.y() + b.box.height();
                     });
    QList<TextLine> placed;
    placed.reserve(lines.size());
    const QRectF& w = windowFrame;
    for (const RecognizedLine& line : lines) {
        if (!line.text)
            continue;
        const QRectF& b = line.box;
        const double top = b.y() + b.height();
        placed.append({*line.text, QRectF(w.x() + b.x() * w.width(), w.y() + (1 - top) * w.height(),
                                          b.width() * w.width(), b.height() * w.height())});
    }
    return placed;
}

QList<TextLine> recognize(TextRecognitionPort& engine, const QImage& image,
                          const QRectF& windowFrame, RecognitionCache* cache)
{
    if (!cache)
        return placeOnWindow(engine.recognize(image), windowFrame);
    return placeOnWindow(
        cache->linesOn(image, [&engine](const QImage& pixels) { return engine.recognize(pixels); }),
        windowFrame);
}

} // namespace TextRecognizer
