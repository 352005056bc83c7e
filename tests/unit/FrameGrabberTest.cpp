// SPDX-License-Identifier: GPL-3.0-or-later
// One picture from a stream of frames: the first complete frame, once, whatever the threads.
#include "observe/FrameGrabber.h"
#include "AwaitTask.h"
#include "FakeFrameStream.h"
#include "FakeWindows.h"
#include "observe/ScreenCapture.h"

#include <QTest>

#include <thread>

using namespace std::chrono_literals;

namespace {

Result<QImage> grabWith(std::function<void(FakeFrameStream&)> script, std::atomic<int>& stops,
                        std::chrono::milliseconds maxWait = 2000ms)
{
    auto stream = std::make_unique<FakeFrameStream>();
    stream->whenStarted = std::move(script);
    stream->stops = &stops;
    FrameGrabber grabber(std::move(stream), maxWait);
    return awaitTask(grabber.grab());
}

} // namespace

class FrameGrabberTest : public QObject
{
    Q_OBJECT

private slots:
    void firstCompleteFrameWins()
    {
        std::atomic<int> stops{0};
        const Result<QImage> grabbed = grabWith(
            [](FakeFrameStream& s) {
                s.deliver({FakeFrameStream::image(Qt::red), false});
                s.deliver({QImage(), true});
                s.deliver({FakeFrameStream::image(Qt::green), true});
                s.deliver({FakeFrameStream::image(Qt::blue), true});
                s.end(Failure(QStringLiteral("late")));
            },
            stops);
        QCOMPARE(grabbed.value().pixelColor(0, 0), QColor(Qt::green));
        QVERIFY(stops >= 1);
    }

    void streamEndingFirstIsTheFailure()
    {
        std::atomic<int> stops{0};
        const Result<QImage> grabbed = grabWith(
            [](FakeFrameStream& s) { s.end(Failure(QStringLiteral("The window closed."))); },
            stops);
        QCOMPARE(grabbed.failure().description, QStringLiteral("The window closed."));
    }

    void framesFromManyThreadsResumeOnce()
    {
        std::atomic<int> stops{0};
        const Result<QImage> grabbed = grabWith(
            [](FakeFrameStream& s) {
                // Four threads race to deliver; all have finished before the grabber looks.
                std::vector<std::thread> senders;
                for (int i = 0; i < 4; ++i) {
                    senders.emplace_back([&s, i] {
                        for (int n = 0; n < 50; ++n)
                            s.deliver({FakeFrameStream::image(QColor(i * 60, n, 0)), true});
                    });
                }
                for (std::thread& t : senders)
                    t.join();
            },
            stops);
        QVERIFY(grabbed.ok());
    }

    void silentStreamEndsAfterTheBoundedWait()
    {
        std::atomic<int> stops{0};
        const Result<QImage> grabbed = grabWith([](FakeFrameStream&) {}, stops, 50ms);
        QCOMPARE(grabbed.failure().description,
                 QStringLiteral("The window did not draw itself in time."));
        QVERIFY(stops >= 1);
    }

    void captureUsesTheStreamForAWindowWithoutPixelsYet()
    {
        FakeWindows desktop;
        desktop.windows = QList<WindowInfo>{{4, 7, 0, QRectF(0, 0, 100, 100)}};
        desktop.makeStream = [] {
            auto stream = std::make_unique<FakeFrameStream>();
            stream->whenStarted = [](FakeFrameStream& s) {
                s.deliver({FakeFrameStream::image(Qt::yellow), true});
            };
            return stream;
        };
        const Result<CapturedWindow> captured =
            awaitTask(ScreenCapture::captureFrontWindow(desktop, 7, std::nullopt));
        QCOMPARE(captured.value().image.pixelColor(0, 0), QColor(Qt::yellow));
    }
};

QTEST_GUILESS_MAIN(FrameGrabberTest)
#include "FrameGrabberTest.moc"
