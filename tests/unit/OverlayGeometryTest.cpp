// SPDX-License-Identifier: GPL-3.0-or-later
// Where the ring and the card land, on one display, on several, and at the edges.
#include "overlay/OverlayGeometry.h"

#include <QTest>

using namespace OverlayGeometry;

class OverlayGeometryTest : public QObject
{
    Q_OBJECT

private slots:
    void frameOnASingleDisplay()
    {
        const QList<DisplayArea> one{{QRectF(0, 0, 1440, 900), 1}};
        const QRectF target = toOverlay(QRectF(100, 50, 40, 20), one, coveredArea(one));
        QCOMPARE(target, QRectF(100, 50, 40, 20));
        QCOMPARE(highlight(target), QRectF(94, 44, 52, 32));
    }

    void secondDisplayAboveRightShiftsTheOverlay()
    {
        // A 1200-high display to the right whose top is 300 above the primary's.
        const QList<DisplayArea> two{{QRectF(0, 0, 1440, 900), 1},
                                     {QRectF(1440, -300, 1920, 1200), 1}};
        const QRectF covered = coveredArea(two);
        QCOMPARE(covered, QRectF(0, -300, 3360, 1200));
        QCOMPARE(toOverlay(QRectF(100, 50, 40, 20), two, covered), QRectF(100, 350, 40, 20));
        QCOMPARE(toOverlay(QRectF(1500, -250, 10, 10), two, covered).topLeft(), QPointF(1500, 50));
    }

    void highDensityDisplaysDivideTheirExtent()
    {
        // A 2x display of 1280x800 logical pixels (2560x1600 device pixels), then a 1x one.
        const QList<DisplayArea> mixed{{QRectF(0, 0, 1280, 800), 2},
                                       {QRectF(2560, 0, 1920, 1080), 1}};
        QCOMPARE(toLogical(QPointF(200, 100), mixed), QPointF(100, 50));
        QCOMPARE(toLogical(QPointF(2600, 100), mixed), QPointF(2600, 100));
        const QRectF covered = coveredArea(mixed);
        QCOMPARE(toOverlay(QRectF(200, 100, 80, 40), mixed, covered), QRectF(100, 50, 40, 20));
    }

    void cardPlacement_data()
    {
        QTest::addColumn<QRectF>("target");
        QTest::addColumn<QPointF>("card");
        // Area 1440 x 900. Highlight = target grown by 6; card 270 x 96, 12 from the highlight, 8
        // from edges.
        QTest::newRow("right") << QRectF(100, 200, 40, 20) << QPointF(158, 162);
        QTest::newRow("left near the right edge")
            << QRectF(1300, 200, 100, 20) << QPointF(1012, 162);
        QTest::newRow("below when neither side has the card's width")
            << QRectF(206, 300, 1200, 20) << QPointF(671, 338);
        QTest::newRow("below a full-width bar") << QRectF(0, 100, 1440, 30) << QPointF(585, 148);
        QTest::newRow("above when 108 or less below")
            << QRectF(0, 780, 1440, 6) << QPointF(585, 666);
        QTest::newRow("clamped at the top-left corner")
            << QRectF(0, 0, 1440, 900) << QPointF(585, 8);
        QTest::newRow("never nearer than 8 to the top") << QRectF(10, 2, 20, 10) << QPointF(48, 8);
    }

    void cardPlacement()
    {
        QFETCH(QRectF, target);
        QFETCH(QPointF, card);
        QCOMPARE(cardOrigin(highlight(target), QRectF(0, 0, 1440, 900)), card);
    }

    // With two displays the card stays on the one holding the ring, even where the other
    // has room beside it.
    void theCardStaysOnTheRingsDisplay()
    {
        const QList<DisplayArea> displays{{QRectF(1280, 0, 1280, 800), 1},
                                          {QRectF(0, 0, 1280, 800), 1}};
        const QRectF covered = coveredArea(displays);
        // Near the right edge of the left display: left of the ring, not across the seam.
        const QRectF nearSeam = highlight(QRectF(1200, 300, 60, 20));
        const QRectF left = displayAround(nearSeam.center(), displays, covered);
        QCOMPARE(left, QRectF(0, 0, 1280, 800));
        QCOMPARE(cardOrigin(nearSeam, left), QPointF(1194 - 12 - 270, 310 - 48));
        // Near the left edge of the right display: right of the ring, not onto the left one.
        const QRectF pastSeam = highlight(QRectF(1290, 300, 60, 20));
        const QRectF right = displayAround(pastSeam.center(), displays, covered);
        QCOMPARE(right, QRectF(1280, 0, 1280, 800));
        QCOMPARE(cardOrigin(pastSeam, right), QPointF(1356 + 12, 310 - 48));
        // A ring as wide as its display: the card centred below it, on that display.
        QCOMPARE(cardOrigin(highlight(QRectF(1280, 300, 1280, 20)), right),
                 QPointF(1280 + 640 - 135, 326 + 12));
    }

    void ringGrowsAboutItsCentre()
    {
        const QRectF h(100, 100, 100, 50);
        QCOMPARE(ring(h, 0), h);
        QCOMPARE(ring(h, 1), QRectF(85, 92.5, 130, 65));
    }
};

QTEST_GUILESS_MAIN(OverlayGeometryTest)
#include "OverlayGeometryTest.moc"
