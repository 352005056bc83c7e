// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TextRecognitionPort.h"

#include <QThread>

#include <atomic>

/// Answers every image with the same lines.
class FakeTextRecognition : public TextRecognitionPort
{
public:
    QList<RecognizedLine> lines;
    std::atomic<int> calls{0};
    /// Each recognition takes this long, as one of a large window would.
    std::atomic<int> slowMs{0};

    QList<RecognizedLine> recognize(const QImage&) override
    {
        ++calls;
        if (slowMs > 0)
            QThread::msleep(static_cast<unsigned long>(slowMs.load()));
        return lines;
    }
};
