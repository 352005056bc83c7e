// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

/// One line of text found on an image.
struct RecognizedLine
{
    /// The best candidate; absent when the engine has none for this line.
    std::optional<QString> text;
    /// The line's box normalised to the image: 0..1 on both axes, origin bottom-left, y up.
    QRectF box;
};

/// A text recogniser. Blocking; safe to call from several threads at once.
class TextRecognitionPort
{
public:
    virtual ~TextRecognitionPort() = default;

    /// The lines on the image, in the engine's order. A failure gives the empty list.
    virtual QList<RecognizedLine> recognize(const QImage& image) = 0;
};
