// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TextRecognitionPort.h"
#include "platform/linux/tesseract/TextPhrases.h"

#include <QThreadPool>

/// Text recognition with Tesseract's LSTM model. Two passes over each capture run together on
/// two threads: sparse text at twice the size (small interface text reads far better enlarged)
/// and page layout at the original size; their phrases are merged. Each thread keeps its own
/// initialised engine for the life of the program.
class TesseractTextRecognition : public TextRecognitionPort
{
public:
    TesseractTextRecognition();
    ~TesseractTextRecognition() override;

    /// Whether the English model could be loaded.
    bool isAvailable();

    /// The page-layout pass reads at most this many pixels; a larger window is read shrunk.
    static constexpr double maxLayoutPixels = 4096.0 * 2160;
    /// The sparse-text pass reads the window enlarged, but never to more than this many pixels:
    /// on a whole office window, reading at 1.5 times finds the words read at twice the size,
    /// with 40 % less memory and time.
    static constexpr double maxSparsePixels = 2048.0 * 1536;

    /// The scale each pass reads an image of `size` at: the work stays bounded whatever the
    /// window's size.
    struct PassScales
    {
        double layout;
        double sparse;
    };
    static PassScales passScales(QSize size);

    QList<RecognizedLine> recognize(const QImage& image) override;

private:
    QThreadPool m_secondPass;
};
