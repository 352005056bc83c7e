#pragma once

#include "platform/TextRecognitionEngine.h"

#include <atomic>

/// Answers every image with the same lines.
class FakeTextEngine : public TextRecognitionEngine
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
