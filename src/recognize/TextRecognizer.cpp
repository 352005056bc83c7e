// SPDX-License-Identifier: GPL-3.0-or-later
#include "recognize/TextRecognizer.h"

#include "recognize/TextBlocks.h"

#include <QRegion>

#include <algorithm>
#include <cmath>

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

namespace {

// The image to cut: 32 bits per pixel, and no larger than the engine's work allows.
QImage workingPixels(const QImage& image, QList<QRect>& popups)
{
    QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const double area = double(pixels.width()) * pixels.height();
    if (area <= maxPixels)
        return pixels;
    const double scale = std::sqrt(maxPixels / area);
    for (QRect& popup : popups)
        popup = QRectF(QPointF(popup.topLeft()) * scale, QSizeF(popup.size()) * scale)
                    .toAlignedRect(); // whole pixels, so no blended edge is left to the window
    return pixels.scaled(pixels.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// A line the engine found on a block's pixels, normalised to the whole image instead.
RecognizedLine onWhole(const RecognizedLine& line, const QRect& block, QSizeF whole)
{
    const double bw = block.width();
    const double bh = block.height();
    const QRectF& b = line.box;
    const double left = block.x() + b.x() * bw;
    const double top = block.y() + (1.0 - b.y() - b.height()) * bh;
    const double width = b.width() * bw;
    const double height = b.height() * bh;
    return {line.text, QRectF(left / whole.width(), 1.0 - (top + height) / whole.height(),
                              width / whole.width(), height / whole.height())};
}

// The known areas in the pixels of the image that shows `frame`, whole pixels covered and one
// more around them, where the edges of their glyphs blend into the background.
QList<QRect> onPixels(const QList<QRectF>& known, const QRectF& frame, QSize pixels)
{
    QList<QRect> areas;
    if (frame.isEmpty())
        return areas;
    const double sx = pixels.width() / frame.width();
    const double sy = pixels.height() / frame.height();
    for (const QRectF& r : known)
        areas.append(QRectF((r.x() - frame.x()) * sx, (r.y() - frame.y()) * sy, r.width() * sx,
                            r.height() * sy)
                         .toAlignedRect()
                         .adjusted(-1, -1, 1, 1));
    return areas;
}

// What of the known areas no popup covers: a menu open over a document shows its own text
// where the document's paragraphs are.
QList<QRect> outsidePopups(const QList<QRect>& areas, const QList<QRect>& popups)
{
    QRegion covered;
    for (const QRect& popup : popups)
        covered += popup;
    QList<QRect> outside;
    for (const QRect& area : areas) {
        const QRegion left = QRegion(area) - covered;
        outside.append(QList<QRect>(left.begin(), left.end()));
    }
    return outside;
}

// Whether a line (normalised, bottom-left origin) has its middle under one of `popups`.
bool underPopups(const QRectF& box, const QList<QRect>& popups, QSize whole)
{
    const QPointF middle((box.x() + box.width() / 2) * whole.width(),
                         (1 - box.y() - box.height() / 2) * whole.height());
    return std::any_of(popups.begin(), popups.end(),
                       [&middle](const QRect& popup) { return QRectF(popup).contains(middle); });
}

bool onAPopup(const QRect& block, const QList<QRect>& popups)
{
    return std::any_of(popups.begin(), popups.end(),
                       [&block](const QRect& popup) { return popup.contains(block); });
}

} // namespace

QList<TextLine> recognize(TextRecognitionPort& engine, const CapturedWindow& window,
                          RecognitionCache* cache, const QList<QRectF>& known,
                          const QList<QRectF>& knownOnPopups)
{
    QList<QRect> popups = window.popups;
    QImage pixels = workingPixels(window.image, popups);
    if (!known.isEmpty())
        TextBlocks::paintOver(pixels,
                              outsidePopups(onPixels(known, window.frame, pixels.size()), popups));
    if (!knownOnPopups.isEmpty())
        TextBlocks::paintOver(pixels, onPixels(knownOnPopups, window.frame, pixels.size()));
    const auto read = [&engine, cache](const QImage& part) {
        return cache ? cache->linesOn(
                           part, [&engine](const QImage& image) { return engine.recognize(image); })
                     : engine.recognize(part);
    };
    QList<RecognizedLine> lines;
    if (popups.isEmpty() || window.windowAlone.size() != window.image.size()) {
        for (const TextBlocks::Block& block : TextBlocks::of(pixels, popups)) {
            for (const RecognizedLine& line : read(TextBlocks::pixelsOf(pixels, block)))
                lines.append(onWhole(line, block.rect, pixels.size()));
        }
        return placeOnWindow(lines, window.frame);
    }
    // The window's parts are cut from what it shows alone, as they were before the popups
    // opened; of their lines, those the popups hide are dropped. The popups' parts come from
    // the whole picture.
    QList<QRect> none;
    QImage alone = workingPixels(window.windowAlone, none);
    if (!known.isEmpty())
        TextBlocks::paintOver(alone, onPixels(known, window.frame, alone.size()));
    for (const TextBlocks::Block& block : TextBlocks::of(alone)) {
        for (const RecognizedLine& line : read(TextBlocks::pixelsOf(alone, block))) {
            const RecognizedLine whole = onWhole(line, block.rect, alone.size());
            if (!underPopups(whole.box, popups, alone.size()))
                lines.append(whole);
        }
    }
    for (const TextBlocks::Block& block : TextBlocks::of(pixels, popups)) {
        if (!onAPopup(block.rect, popups))
            continue;
        for (const RecognizedLine& line : read(TextBlocks::pixelsOf(pixels, block)))
            lines.append(onWhole(line, block.rect, pixels.size()));
    }
    return placeOnWindow(lines, window.frame);
}

} // namespace TextRecognizer
