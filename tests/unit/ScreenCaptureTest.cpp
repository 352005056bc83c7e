// Window choice and capture size, through a fake desktop.
#include "observe/ScreenCapture.h"
#include "FakeWindows.h"
#include "core/Texts.h"

#include "AwaitTask.h"
#include <QTest>

class ScreenCaptureTest : public QObject
{
    Q_OBJECT

private slots:
    void chooseWindow()
    {
        const QList<WindowInfo> windows{
            {1, 7, 0, QRectF(0, 0, 50, 400)},      // too narrow
            {2, 8, 0, QRectF(100, 100, 400, 300)}, // another process
            {3, 7, 3, QRectF(100, 100, 400, 300)}, // a panel layer
            {4, 7, 0, QRectF(0, 0, 51, 51)},       {5, 7, 0, QRectF(110, 100, 400, 300)},
            {6, 7, 0, QRectF(90, 100, 400, 300)},
        };
        QCOMPARE(ScreenCapture::chooseWindow(windows, 7, std::nullopt)->id, quint64(4));
        // Equal distances: the one listed first wins.
        QCOMPARE(ScreenCapture::chooseWindow(windows, 7, QRectF(100, 100, 400, 300))->id,
                 quint64(5));
        QCOMPARE(ScreenCapture::chooseWindow(windows, 9, std::nullopt), std::nullopt);
    }

    void pixelSizeTruncatesAndNeverDropsBelowOne()
    {
        QCOMPARE(ScreenCapture::pixelSize(QSizeF(800.4, 600.6), 2.0), QSize(1600, 1201));
        QCOMPARE(ScreenCapture::pixelSize(QSizeF(0.2, 100), 1.0), QSize(1, 100));
    }

    void captureReportsEachFailureAsASentence()
    {
        FakeWindows desktop;
        desktop.screenList.clear(); // no display known: scale 2
        desktop.windows = QList<WindowInfo>{{4, 7, 0, QRectF(10, 20, 100, 80)}};
        Result<CapturedWindow> captured =
            awaitTask(ScreenCapture::captureFrontWindow(desktop, 7, std::nullopt));
        QVERIFY(captured.ok());
        QCOMPARE(captured.value().frame, QRectF(10, 20, 100, 80));
        QCOMPARE(desktop.captures.first(), qMakePair(quint64(4), QSize(200, 160)));

        desktop.pixels = Failure{QStringLiteral("BadDrawable")};
        captured = awaitTask(ScreenCapture::captureFrontWindow(desktop, 7, std::nullopt));
        QCOMPARE(captured.failure().description,
                 QStringLiteral("Screen capture failed: BadDrawable"));

        desktop.windows = Failure{QStringLiteral("no display")};
        captured = awaitTask(ScreenCapture::captureFrontWindow(desktop, 7, std::nullopt));
        QCOMPARE(captured.failure().description,
                 QStringLiteral("Screen capture failed: no display"));

        desktop.windows = QList<WindowInfo>{};
        captured = awaitTask(ScreenCapture::captureFrontWindow(desktop, 7, std::nullopt));
        QCOMPARE(captured.failure().description, Texts::noVisibleWindow);
    }
};

QTEST_GUILESS_MAIN(ScreenCaptureTest)
#include "ScreenCaptureTest.moc"
