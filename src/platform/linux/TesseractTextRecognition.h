#pragma once

#include "platform/TextRecognitionPort.h"
#include "platform/linux/TextPhrases.h"

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

    QList<RecognizedLine> recognize(const QImage& image) override;

private:
    QThreadPool m_secondPass;
};
