// SPDX-License-Identifier: GPL-3.0-or-later
// What one suggestion costs on the caller's side: building the prompt for a full element
// list, parsing the reply, and encoding a large capture for a vision model.
#include "model_client/ImageEncoding.h"
#include "model_client/LLMClient.h"

#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

QList<GuideElement> fullElementList()
{
    QList<GuideElement> elements;
    for (int i = 1; i <= 280; ++i) {
        elements.append({i, i <= 200 ? QStringLiteral("button") : QStringLiteral("text"),
                         QStringLiteral("Element number %1 with a label of usual length").arg(i),
                         QRectF(100.5 + i, 200.25 + 2 * i, 80.75, 21.5),
                         GuideElement::Source::accessibility, false});
    }
    return elements;
}

QList<Step> history()
{
    QList<Step> steps;
    for (int i = 1; i <= 20; ++i) {
        steps.append({QUuid::createUuid(),
                      i,
                      QStringLiteral("button \u201CNext %1\u201D").arg(i),
                      QStringLiteral("Click Next to go on to page %1.").arg(i + 1),
                      {},
                      false});
    }
    return steps;
}

void promptAndParse(benchmark::State& state)
{
    const QList<GuideElement> elements = fullElementList();
    const QList<Step> steps = history();
    const QString reply = QStringLiteral(
        "```json\n{\"id\": 141, \"explanation\": \"Click File, then choose Export as PDF.\", "
        "\"done\": false}\n```");
    for (auto _ : state) {
        const QString prompt = LLMClient::taskPrompt(LLMClient::systemPrompt(),
                                                     QStringLiteral("export this as PDF"), steps) +
                               LLMClient::elementsPrompt(elements, QRectF(100, 200, 1568, 980));
        benchmark::DoNotOptimize(prompt.size());
        benchmark::DoNotOptimize(LLMClient::parse(reply, elements));
    }
}
BENCHMARK(promptAndParse)->Unit(benchmark::kMicrosecond);

void parseOnly(benchmark::State& state)
{
    const QList<GuideElement> elements = fullElementList();
    const QString reply = QStringLiteral("{\"id\": \"Element number 250 with a label of usual "
                                         "length\", \"explanation\": \"Click it.\"}");
    for (auto _ : state)
        benchmark::DoNotOptimize(LLMClient::parse(reply, elements));
}
BENCHMARK(parseOnly)->Unit(benchmark::kMicrosecond);

void jpegOfALargeCapture(benchmark::State& state)
{
    // A window-like picture: flat panels, lines of text-like strokes.
    QImage capture(3136, 1960, QImage::Format_ARGB32_Premultiplied);
    capture.fill(QColor(246, 245, 244));
    QPainter painter(&capture);
    painter.setPen(QColor(40, 40, 40));
    for (int y = 60; y < capture.height(); y += 48) {
        for (int x = 40; x < capture.width() - 200; x += 260)
            painter.drawRect(x, y, 180 + (x * 7 + y) % 60, 28);
    }
    painter.end();
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageEncoding::jpegBase64(capture, LLMClient::maxJpegWidth));
}
BENCHMARK(jpegOfALargeCapture)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
