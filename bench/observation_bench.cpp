// SPDX-License-Identifier: GPL-3.0-or-later
// What observing a real window costs, stage by stage: the accessibility read, the capture, text
// recognition and merging, for five applications; and what the merged list gains or loses by
// reading the window in blocks rather than whole. ONLY=<label> measures one application,
// ROUNDS=<n> sets the rounds. Run on a desktop (or a virtual one:
// tests/desktop/run-on-virtual-desktop.sh build/bench/observation_bench).
#include "CountingAccessibility.h"
#include "observe/AccessibilityReader.h"
#include "observe/ScreenCapture.h"
#include "platform/linux/ProcessMemory.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/tesseract/TesseractTextRecognition.h"
#include "platform/linux/tesseract/TesseractThreads.h"
#include "platform/linux/x11/X11AtspiGeometry.h"
#include "platform/linux/x11/X11Windows.h"
#include "recognize/TextRecognizer.h"
#include "session/ElementMerging.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace {

const int rounds = qEnvironmentVariableIntValue("ROUNDS") > 0
                       ? qEnvironmentVariableIntValue("ROUNDS")
                       : 15;

struct Samples
{
    QList<double> ms;
    void add(double v) { ms.append(v); }
    double median() const
    {
        QList<double> s = ms;
        std::sort(s.begin(), s.end());
        return s.isEmpty() ? 0 : s[s.size() / 2];
    }
    double low() const { return ms.isEmpty() ? 0 : *std::min_element(ms.begin(), ms.end()); }
    double high() const { return ms.isEmpty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

double elapsedMs(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

Result<CapturedWindow> captureNow(X11Windows& windows, qint64 pid, std::optional<QRectF> frame)
{
    std::optional<Result<CapturedWindow>> result;
    QEventLoop loop;
    ScreenCapture::captureFrontWindow(windows, pid, frame).then([&](Result<CapturedWindow> r) {
        result.emplace(std::move(r));
        loop.quit();
    });
    if (!result)
        loop.exec();
    return std::move(*result);
}

// What reading the window in blocks finds against reading it whole at once (the engine on the
// entire image): lines only one of the two read, so that recall lost to blocks shows.
void compareWithWholeRead(const CapturedWindow& window, const QList<TextLine>& inBlocks,
                          const QList<GuideElement>& elements, TesseractTextRecognition& ocr)
{
    QElapsedTimer t;
    t.start();
    const QList<TextLine> whole =
        TextRecognizer::placeOnWindow(ocr.recognize(window.image), window.frame);
    const double wholeMs = elapsedMs(t);
    QStringList blockTexts, wholeTexts;
    for (const GuideElement& e : ElementMerging::merge(elements, inBlocks, window.frame))
        blockTexts.append(e.title);
    for (const GuideElement& e : ElementMerging::merge(elements, whole, window.frame))
        wholeTexts.append(e.title);
    QStringList onlyWhole, onlyBlocks;
    for (const QString& text : wholeTexts) {
        if (!blockTexts.contains(text))
            onlyWhole.append(text);
    }
    for (const QString& text : blockTexts) {
        if (!wholeTexts.contains(text))
            onlyBlocks.append(text);
    }
    std::printf("  whole window read  %8.2f ms, %lld lines; merged, listed only from the whole "
                "read: %s; only from blocks: %s\n",
                wholeMs, qlonglong(whole.size()), qPrintable(onlyWhole.join(QStringLiteral(" | "))),
                qPrintable(onlyBlocks.join(QStringLiteral(" | "))));
}

void measure(const char* label, const QStringList& command, X11Windows& windows,
             AtspiAccessibility& atspi, TesseractTextRecognition& ocr)
{
    QProcess app;
    app.start(command.first(), command.mid(1));
    app.waitForStarted();
    CountingAccessibility counting(atspi);
    AXSnapshot snapshot;
    for (int i = 0; i < 100 && (snapshot.elements.size() < 3 || !snapshot.windowFrame); ++i) {
        QThread::msleep(200);
        snapshot = AccessibilityReader::read(atspi, app.processId());
    }
    QThread::msleep(500);
    Samples read, capture, recognise, merge, total;
    int nodes = 0, batches = 0, elements = 0, lines = 0, merged = 0;
    Samples finding;
    CapturedWindow last;
    QList<TextLine> lastText;
    for (int round = 0; round < rounds; ++round) {
        counting.nodes = 0;
        counting.batches = 0;
        counting.findingNs = 0;
        QElapsedTimer t;
        t.start();
        snapshot = AccessibilityReader::read(counting, app.processId());
        read.add(elapsedMs(t));
        finding.add(counting.findingNs / 1e6);
        t.restart();
        const Result<CapturedWindow> window =
            captureNow(windows, app.processId(), snapshot.windowFrame);
        capture.add(elapsedMs(t));
        if (!window) {
            std::printf("%s: capture failed: %s\n", label,
                        qPrintable(window.failure().description));
            break;
        }
        t.restart();
        const QList<TextLine> text = TextRecognizer::recognize(ocr, window.value());
        recognise.add(elapsedMs(t));
        t.restart();
        const QList<GuideElement> list =
            ElementMerging::merge(snapshot.elements, text, window.value().frame);
        merge.add(elapsedMs(t));
        total.add(read.ms.last() + capture.ms.last() + recognise.ms.last() + merge.ms.last());
        nodes = counting.nodes;
        batches = counting.batches;
        elements = static_cast<int>(snapshot.elements.size());
        lines = static_cast<int>(text.size());
        merged = static_cast<int>(list.size());
        last = window.value();
        lastText = text;
    }
    const auto row = [](const char* stage, const Samples& s) {
        std::printf("  %-18s median %8.2f ms   (min %8.2f, max %8.2f)\n", stage, s.median(),
                    s.low(), s.high());
    };
    std::printf(
        "%s: %d nodes read in %d batches, %d elements, %d text lines, %d merged, %d rounds\n",
        label, nodes, batches, elements, lines, merged, rounds);
    row("accessibility", read);
    row("  finding windows", finding);
    row("capture", capture);
    row("text recognition", recognise);
    row("merge", merge);
    row("whole observation", total);
    compareWithWholeRead(last, lastText, snapshot.elements, ocr);
    std::fflush(stdout);
    app.kill();
    app.waitForFinished();
}

} // namespace

int main(int argc, char** argv)
{
    TesseractThreads::restartWithOneOpenMpThread(argv);
    ProcessMemory::shareHeapsBetweenThreads();
    QGuiApplication application(argc, argv);
    X11Windows windows;
    AtspiAccessibility atspi{std::make_unique<X11AtspiGeometry>()};
    TesseractTextRecognition ocr;
    if (!windows.canCapture() || !atspi.isTrusted() || !ocr.isAvailable()) {
        std::fprintf(stderr,
                     "needs an X display with Composite, accessibility on, and Tesseract\n");
        return 1;
    }
    const QList<std::pair<const char*, QStringList>> apps{
        {"galculator", {QStringLiteral("galculator")}},
        {"gnome-calculator", {QStringLiteral("gnome-calculator")}},
        {"mousepad", {QStringLiteral("mousepad")}},
        {"qt6ct", {QStringLiteral("qt6ct")}},
        {"gtk3-widget-factory", {QStringLiteral("gtk3-widget-factory")}},
    };
    const QString only = qEnvironmentVariable("ONLY");
    for (const auto& [label, command] : apps)
        if (only.isEmpty() || only == QLatin1String(label))
            measure(label, command, windows, atspi, ocr);
    return 0;
}
