// SPDX-License-Identifier: GPL-3.0-or-later
// How large the request for a first step is on real windows: elements, estimated tokens of each
// part (instructions, goal, element lines, image) and of the whole with and without the
// screenshot, the context asked of Ollama, and how many elements a model limited to 4,096 tokens
// would be sent; with CUEWELL_BENCH_SHOW_PROMPT set, the element lines too. Run on a desktop (or a
// virtual one: tests/desktop/run-on-virtual-desktop.sh build/bench/prompt_size).
#include "model_client/ImageEncoding.h"
#include "model_client/LLMClient.h"
#include "model_client/PromptBudget.h"
#include "observe/AccessibilityReader.h"
#include "observe/ScreenCapture.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/tesseract/TesseractTextRecognition.h"
#include "platform/linux/x11/X11AtspiGeometry.h"
#include "platform/linux/x11/X11Windows.h"
#include "recognize/TextRecognizer.h"
#include "session/ElementMerging.h"
#include "session/FieldLabels.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>

#include <cstdio>

namespace {

const QString goal = QStringLiteral("export this as PDF");

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

// The merged element list of the app's window, as a first step sees it.
std::optional<std::pair<QList<GuideElement>, CapturedWindow>>
observe(const QStringList& command, X11Windows& windows, AtspiAccessibility& atspi,
        TesseractTextRecognition& ocr, QProcess& app)
{
    app.start(command.first(), command.mid(1));
    app.waitForStarted();
    AXSnapshot snapshot;
    for (int i = 0; i < 100 && (snapshot.elements.size() < 3 || !snapshot.windowFrame); ++i) {
        QThread::msleep(200);
        snapshot = AccessibilityReader::read(atspi, app.processId());
    }
    QThread::msleep(800);
    snapshot = AccessibilityReader::read(atspi, app.processId());
    windows.prepareCapture(app.processId());
    Result<CapturedWindow> window = captureNow(windows, app.processId(), snapshot.windowFrame);
    for (int i = 0; i < 10 && !window; ++i) {
        QThread::msleep(300);
        window = captureNow(windows, app.processId(), snapshot.windowFrame);
    }
    if (!window) {
        std::printf("%s: %s\n", qPrintable(command.first()),
                    qPrintable(window.failure().description));
        return std::nullopt;
    }
    const QList<TextLine> lines = TextRecognizer::recognize(ocr, window.value());
    const QList<GuideElement> named =
        FieldLabels::nameUnlabelled(snapshot.elements, snapshot.labels + lines);
    return std::pair(ElementMerging::merge(named, lines, window.value().frame), window.value());
}

void report(const char* label, const QStringList& command, X11Windows& windows,
            AtspiAccessibility& atspi, TesseractTextRecognition& ocr)
{
    QProcess app;
    const auto seen = observe(command, windows, atspi, ocr, app);
    if (!seen) {
        app.kill();
        app.waitForFinished();
        return;
    }
    const auto& [elements, window] = *seen;
    const QSize image = ImageEncoding::scaledSize(window.image.size(), LLMClient::maxJpegWidth);
    const PromptBudget::Request text{
        LLMClient::systemPrompt(), goal, {}, elements, window.frame, std::nullopt};
    PromptBudget::Request vision = text;
    vision.image = image;
    const PromptBudget::Plan plain =
        PromptBudget::plan(text, PromptBudget::smallestContext, PromptBudget::largestContext);
    const PromptBudget::Plan withImage =
        PromptBudget::plan(vision, PromptBudget::smallestContext, PromptBudget::largestContext);
    const PromptBudget::Plan small = PromptBudget::plan(text, 0, 4096);
    // The request's parts: the instructions, the goal (the history of a first step is empty),
    // the element lines sent, and what a chat template and the answer add.
    const qint64 instructions = PromptBudget::textTokens(LLMClient::systemPrompt());
    qint64 lines = 0;
    for (const GuideElement& element : plain.sent)
        lines += PromptBudget::textTokens(LLMClient::elementLine(element, window.frame));
    const qint64 overhead = 2 * PromptBudget::tokensPerMessage + PromptBudget::replyTokens;
    std::printf("%-24s %4lld elements %4lld sent | instructions %4lld goal+question %4lld "
                "elements %5lld | text %6lld tok ctx %6lld | image %4dx%-4d %5lld tok, with it "
                "%6lld tok | 4096-token model: %lld sent\n",
                label, qlonglong(elements.size()), qlonglong(plain.sent.size()),
                qlonglong(instructions), qlonglong(plain.tokens - instructions - lines - overhead),
                qlonglong(lines), qlonglong(plain.tokens), qlonglong(plain.context), image.width(),
                image.height(), qlonglong(PromptBudget::imageTokens(image)),
                qlonglong(withImage.tokens), qlonglong(small.sent.size()));
    if (qEnvironmentVariableIsSet("CUEWELL_BENCH_SHOW_PROMPT"))
        std::printf("%s\n\n", qPrintable(plain.user));
    std::fflush(stdout);
    app.kill();
    app.waitForFinished();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    X11Windows windows;
    AtspiAccessibility atspi{std::make_unique<X11AtspiGeometry>()};
    TesseractTextRecognition ocr;
    if (!windows.canCapture() || !atspi.isTrusted() || !ocr.isAvailable()) {
        std::fprintf(stderr,
                     "needs an X display with Composite, accessibility on, and Tesseract\n");
        return 1;
    }
    report("mousepad (GTK 3)", {"mousepad"}, windows, atspi, ocr);
    report("zenity form (GTK 3)",
           {"zenity", "--forms", "--title=Order", "--add-entry=Name", "--add-combo=Colour",
            "--combo-values=Red|Green|Blue"},
           windows, atspi, ocr);
    report("gnome-calculator (GTK4)", {"gnome-calculator"}, windows, atspi, ocr);
    report("qt6ct (Qt 6)", {"qt6ct"}, windows, atspi, ocr);
    report("Qt Linguist (Qt 6)", {"/usr/lib/qt6/bin/linguist"}, windows, atspi, ocr);
    report("gtk3-widget-factory", {"gtk3-widget-factory"}, windows, atspi, ocr);
    return 0;
}
