#pragma once

#include "platform/TextRecognitionPort.h"

#include <atomic>

/// Answers every image with the same lines.
class FakeTextRecognition : public TextRecognitionPort
{
public:
    QList<RecognizedLine> lines;
    std::atomic<int> calls{0};

    QList<RecognizedLine> recognize(const QImage&) override
    {
        ++calls;
        return lines;
    }
};
