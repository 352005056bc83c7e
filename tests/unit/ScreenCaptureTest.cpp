// SPDX-License-Identifier: GPL-3.0-or-later
// Window choice and capture size, through a fake desktop.
#include "observe/ScreenCapture.h"
#include "FakeWindows.h"
#include "core/Texts.h"

#include "AwaitTask.h"
#include <QTest>

namespace {

QImage solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

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
        QCOMPARE(captured.failure().description, Texts::noVisibleWindow());
    }

    void openPopupsAreDrawnInAtTheirPlaces()
    {
        // A window with two popups of its own: a menu hanging below its right edge, and a
        // submenu over both. Another application's popup is left out.
        FakeWindows desktop;
        desktop.windows = QList<WindowInfo>{{1, 7, 0, QRectF(100, 100, 200, 100)}};
        desktop.popupsByPid.insert(
            7, {{3, 7, 101, QRectF(260, 150, 60, 40)}, {2, 7, 101, QRectF(250, 120, 40, 120)}});
        desktop.popupsByPid.insert(8, {{9, 8, 101, QRectF(0, 0, 400, 400)}});
        desktop.pixelsById.insert(1, solid(QSize(200, 100), Qt::white));
        desktop.pixelsById.insert(2, solid(QSize(40, 120), Qt::blue));
        desktop.pixelsById.insert(3, solid(QSize(60, 40), Qt::red));
        desktop.pixelsById.insert(9, solid(QSize(400, 400), Qt::green));

        const Result<CapturedWindow> captured =
            awaitTask(ScreenCapture::captureFrontWindow(desktop, 7, std::nullopt));
        QVERIFY(captured.ok());
        const CapturedWindow& shot = captured.value();
        QCOMPARE(shot.frame, QRectF(100, 100, 220, 140)); // window and popups together
        const auto at = [&](double x, double y) {
            return shot.image.pixelColor(QPointF(x - 100, y - 100).toPoint());
        };
        QCOMPARE(at(110, 110), QColor(Qt::white));
        QCOMPARE(at(255, 220), QColor(Qt::blue));  // the menu, below the window
        QCOMPARE(at(270, 160), QColor(Qt::red));   // the submenu, in front of the menu
        QCOMPARE(at(310, 160), QColor(Qt::red));   // beyond the window's edge
        QCOMPARE(at(150, 230), QColor(Qt::white)); // outside all: the window's colour
        for (const auto& [id, size] : desktop.captures)
            QVERIFY(id != 9);

        // On a display of twice the density, every layer lands at twice the offset.
        const CapturedWindow dense = ScreenCapture::compose(
            {solid(QSize(400, 200), Qt::white), QRectF(100, 100, 200, 100), 5, {}},
            {{solid(QSize(80, 240), Qt::blue), QRectF(250, 120, 40, 120), 6, {}}}, 2.0);
        QCOMPARE(dense.image.size(), QSize(400, 280));
        // Where each popup was drawn is kept for reading its text apart from the window's.
        QCOMPARE(dense.popups, QList<QRect>{QRect(300, 40, 80, 240)});
        QCOMPARE(dense.image.pixelColor(305, 270), QColor(Qt::blue));
        QCOMPARE(dense.image.pixelColor(295, 270), QColor(Qt::white));
    }
};

QTEST_GUILESS_MAIN(ScreenCaptureTest)
#include "ScreenCaptureTest.moc"
