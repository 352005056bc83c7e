// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/tesseract/TesseractTextRecognition.h"

#include "platform/linux/ProcessMemory.h"

#include "platform/linux/LinuxLog.h"

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr double enlargement = 2;

// One engine per thread, initialised on first use and kept: initialising costs ~50 ms.
tesseract::TessBaseAPI* threadEngine()
{
    thread_local std::unique_ptr<tesseract::TessBaseAPI> engine;
    thread_local bool failed = false;
    if (!engine && !failed) {
        auto created = std::make_unique<tesseract::TessBaseAPI>();
        if (created->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) == 0) {
            // The engine reports on stderr what it finds along the way ("Empty page!!" for a
            // block without text): not for the person at the desktop.
            created->SetVariable("debug_file", "/dev/null");
            engine = std::move(created);
        } else {
            failed = true;
            qCWarning(lcLinux) << "the English Tesseract model could not be loaded";
        }
    }
    return engine.get();
}

// The phrases on `original` seen at `scale`, with boxes in the original's pixels.
QList<TextPhrases::Phrase> phrasesOf(const QImage& original, tesseract::PageSegMode mode,
                                     double scale)
{
    tesseract::TessBaseAPI* engine = threadEngine();
    if (!engine || original.isNull())
        return {};
    const QImage image = scale == 1.0
                             ? original
                             : original.scaled(original.size() * scale, Qt::IgnoreAspectRatio,
                                               Qt::SmoothTransformation);
    constexpr int screenDpi = 96;
    engine->SetPageSegMode(mode);
    engine->SetImage(image.constBits(), image.width(), image.height(), 3,
                     static_cast<int>(image.bytesPerLine()));
    engine->SetSourceResolution(static_cast<int>(screenDpi * scale));
    if (engine->Recognize(nullptr) != 0) {
        engine->Clear();
        return {};
    }
    QList<TextPhrases::Phrase> phrases;
    QList<TextPhrases::Phrase> line;
    std::unique_ptr<tesseract::ResultIterator> it(engine->GetIterator());
    if (it) {
        do {
            if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE) && !line.isEmpty()) {
                phrases += TextPhrases::split(line);
                line.clear();
            }
            const std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
            int left = 0, top = 0, right = 0, bottom = 0;
            if (text && it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom)) {
                const QRectF box = QRectF(QPointF(left, top), QPointF(right, bottom));
                line.append({QString::fromUtf8(text.get()).trimmed(),
                             QRectF(box.topLeft() / scale, box.size() / scale).toRect()});
            }
        } while (it->Next(tesseract::RIL_WORD));
    }
    phrases += TextPhrases::split(line);
    engine->Clear();
    return phrases;
}

} // namespace

TesseractTextRecognition::TesseractTextRecognition()
{
    // Leptonica, which Tesseract reads images with, complains on stderr about the small blocks
    // it is given; a block it cannot read simply has no text.
    setMsgSeverity(L_SEVERITY_NONE);
    m_secondPass.setMaxThreadCount(1);
    m_secondPass.setExpiryTimeout(-1); // keep the thread, and with it its engine
}

TesseractTextRecognition::~TesseractTextRecognition()
{
    m_secondPass.waitForDone();
}

// The engine is made and let go: the calling thread (the main one, as a rule) recognises
// nothing, and an engine kept there would hold some 15 MB.
bool TesseractTextRecognition::isAvailable()
{
    tesseract::TessBaseAPI engine;
    return engine.Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) == 0;
}

TesseractTextRecognition::PassScales TesseractTextRecognition::passScales(QSize image)
{
    const double pixels = double(image.width()) * image.height();
    if (pixels <= 0)
        return {1, 1};
    // The scale at which the image has `budget` pixels, never more than `wanted`.
    const auto within = [pixels](double budget, double wanted) {
        return std::min(wanted, std::sqrt(budget / pixels));
    };
    return {within(maxLayoutPixels, 1), within(maxSparsePixels, enlargement)};
}

QList<RecognizedLine> TesseractTextRecognition::recognize(const QImage& capture)
{
    if (capture.isNull())
        return {};
    QImage image = capture.convertToFormat(QImage::Format_RGB888);
    if (TextPhrases::isDark(image))
        image.invertPixels();
    const PassScales scales = passScales(image.size());
    QFuture<QList<TextPhrases::Phrase>> layoutPass =
        QtConcurrent::run(&m_secondPass, [image, scales] {
            return phrasesOf(image, tesseract::PSM_AUTO, scales.layout);
        });
    const QList<TextPhrases::Phrase> sparse =
        phrasesOf(image, tesseract::PSM_SPARSE_TEXT, scales.sparse);
    const QList<TextPhrases::Phrase> phrases = TextPhrases::merge(sparse, layoutPass.result());
    ProcessMemory::returnFreedMemory();

    QList<RecognizedLine> lines;
    const double w = image.width();
    const double h = image.height();
    for (const TextPhrases::Phrase& p : phrases) {
        const QRectF b(p.box);
        lines.append({p.text, QRectF(b.x() / w, 1.0 - (b.y() + b.height()) / h, b.width() / w,
                                     b.height() / h)});
    }
    return lines;
}
