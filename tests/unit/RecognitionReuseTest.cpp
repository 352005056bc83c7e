// SPDX-License-Identifier: GPL-3.0-or-later
// Text recognised once and used again: the same pixels never cost a second recognition, other
// pixels always get their own, and a step finds the text recognised while the goal was typed.
#include "SessionRig.h"
#include "core/Texts.h"
#include "recognize/RecognitionCache.h"

#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <atomic>
#include <new>

namespace {

QImage filled(QColor colour, QSize size = QSize(40, 30))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// An engine that names the colour of the first pixel, and counts its calls.
struct CountingEngine
{
    std::atomic<int> calls{0};

    QList<RecognizedLine> operator()(const QImage& image)
    {
        ++calls;
        return {{image.pixelColor(0, 0).name(), QRectF(0, 0, 1, 1)}};
    }
};

} // namespace

class RecognitionReuseTest : public QObject
{
    Q_OBJECT

private slots:
    void thePixelsDecideWhetherTextIsRecognisedAgain()
    {
        const QImage white = filled(Qt::white);
        RecognitionCache cache(3); // holds three images
        CountingEngine engine;
        const auto recognise = [&engine](const QImage& image) { return engine(image); };

        QCOMPARE(cache.linesOn(white, recognise).first().text, QStringLiteral("#ffffff"));
        QCOMPARE(cache.linesOn(filled(Qt::white), recognise).first().text,
                 QStringLiteral("#ffffff"));
        QCOMPARE(engine.calls.load(), 1);

        // One changed pixel, or the same pixels in another shape, is another image.
        QImage touched = white;
        touched.setPixelColor(0, 0, Qt::black);
        QCOMPARE(cache.linesOn(touched, recognise).first().text, QStringLiteral("#000000"));
        cache.linesOn(filled(Qt::white, QSize(30, 40)), recognise);
        QCOMPARE(engine.calls.load(), 3);
        // The image kept is the one recognised, not the caller's copy changed afterwards.
        QCOMPARE(cache.linesOn(white, recognise).first().text, QStringLiteral("#ffffff"));
        QCOMPARE(engine.calls.load(), 3);

        // Only the latest are kept, as many as it holds.
        cache.linesOn(filled(Qt::red), recognise);
        cache.linesOn(filled(Qt::blue), recognise);
        cache.linesOn(touched, recognise);
        QCOMPARE(engine.calls.load(), 6);
        cache.linesOn(white, recognise);
        QCOMPARE(engine.calls.load(), 7);
        QCOMPARE(cache.reused(), 2);
    }

    void aRecognitionUnderWayIsSharedNotRepeated()
    {
        RecognitionCache cache;
        QSemaphore started;
        QSemaphore release;
        std::atomic<int> calls{0};
        const auto slow = [&](const QImage&) {
            ++calls;
            started.release();
            release.acquire();
            return QList<RecognizedLine>{{QStringLiteral("Open"), QRectF(0, 0, 1, 1)}};
        };
        const QImage image = filled(Qt::white);
        QList<RecognizedLine> first;
        QList<RecognizedLine> second;
        std::unique_ptr<QThread> ahead(
            QThread::create([&] { first = cache.linesOn(image, slow); }));
        std::unique_ptr<QThread> step(
            QThread::create([&] { second = cache.linesOn(filled(Qt::white), slow); }));
        // Whatever fails below, both threads end before they are destroyed.
        const auto ending = qScopeGuard([&] {
            release.release(2);
            ahead->wait();
            step->wait();
        });
        ahead->start();
        started.acquire();
        step->start();
        // The step finds the recognition under way and waits for it.
        QTRY_COMPARE(cache.reused(), 1);
        QVERIFY(!step->isFinished());
        release.release();
        QVERIFY(ahead->wait(5000));
        QVERIFY(step->wait(5000));
        QCOMPARE(calls.load(), 1);
        QCOMPARE(first.size(), 1);
        QCOMPARE(second.size(), 1);
        QCOMPARE(second.first().text, QStringLiteral("Open"));
    }

    void aFailedRecognitionIsNotRemembered()
    {
        RecognitionCache cache;
        int calls = 0;
        const auto failing = [&calls](const QImage&) -> QList<RecognizedLine> {
            ++calls;
            throw std::bad_alloc();
        };
        const QImage image = filled(Qt::white);
        QVERIFY(cache.linesOn(image, failing).isEmpty());
        CountingEngine engine;
        const auto working = [&engine](const QImage& pixels) { return engine(pixels); };
        QCOMPARE(cache.linesOn(image, working).size(), 1);
        QCOMPARE(engine.calls.load(), 1);
        QCOMPARE(calls, 1);
    }

    void textIsRecognisedWhileTheGoalIsTypedAndUsedByTheStep()
    {
        SessionRig rig;
        rig.textRecognition.lines = {
            {QStringLiteral("Untitled document"), QRectF(0.1, 0.8, 0.5, 0.05)}};
        GuideModel& model = rig.start();
        QTRY_COMPARE(model.serverState(), ServerState::running);
        QCOMPARE(rig.textRecognition.calls.load(), 0); // nothing is looked at while closed
        model.setPanelOpen(true);
        QTRY_COMPARE(rig.textRecognition.calls.load(), 1);

        model.setGoal(QStringLiteral("save it"));
        model.submit();
        QTRY_COMPARE(model.status(), QStringLiteral("Step 1 ready."));
        QCOMPARE(rig.textRecognition.calls.load(), 1);
        QVERIFY(model.lastStepTimings().recognisedBefore);
        QCOMPARE(model.elements().last().title, QStringLiteral("Untitled document"));

        // Once the window shows something else, its text is recognised anew.
        rig.windows.pixels = FakeWindows::drawnImage(QSize(16, 16), Qt::blue);
        model.nextStep();
        QTRY_COMPARE(model.status(), QStringLiteral("Step 2 ready."));
        QCOMPARE(rig.textRecognition.calls.load(), 2);
        QVERIFY(!model.lastStepTimings().recognisedBefore);
    }
};

QTEST_GUILESS_MAIN(RecognitionReuseTest)
#include "RecognitionReuseTest.moc"
