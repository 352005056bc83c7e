// SPDX-License-Identifier: GPL-3.0-or-later
// Where the panel goes: beside the window when it is shown, and never over a ring or its card.
#include "ui/PanelPlacement.h"

#include <QLineF>
#include <QTest>

using namespace PanelPlacement;

namespace {

const QRectF screen(0, 0, 1920, 1080);
const QSizeF panel(480, 640);

// Whether the panel covers `r` or comes nearer to it than the gap it keeps.
bool covers(const QRectF& panelFrame, const QRectF& r)
{
    return panelFrame.intersects(r.adjusted(-gap, -gap, gap, gap));
}

} // namespace

class PanelPlacementTest : public QObject
{
    Q_OBJECT

private slots:
    void besideTheWindowOnTheRoomiestSide_data()
    {
        QTest::addColumn<QRectF>("window");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("room on the right")
            << QRectF(100, 100, 800, 600) << QRectF(912, 100, 480, 640);
        QTest::newRow("more room on the left")
            << QRectF(1000, 200, 700, 500) << QRectF(508, 200, 480, 640);
        // Too low for the panel's height: it is kept on the screen, still beside the window.
        QTest::newRow("kept on screen") << QRectF(100, 700, 800, 300) << QRectF(912, 432, 480, 640);
        // Wide and short: only below has room.
        QTest::newRow("below") << QRectF(0, 0, 1920, 300) << QRectF(8, 312, 480, 640);
    }

    void besideTheWindowOnTheRoomiestSide()
    {
        QFETCH(QRectF, window);
        QFETCH(QRectF, expected);
        const QRectF placed = besideWindow({screen}, window, panel);
        QCOMPARE(placed, expected);
        QVERIFY(!covers(placed, window));
    }

    void overTheWindowsEdgeWhenNoSideHasRoom()
    {
        // A maximised window: the panel goes low against the roomier edge, away from the
        // window's centre, and stays on the screen.
        const QRectF window(0, 0, 1920, 1080);
        const QRectF placed = besideWindow({screen}, window, panel);
        QCOMPARE(placed, QRectF(1432, 432, 480, 640));
        const QRectF leftHeavy(300, 0, 1620, 1080);
        QCOMPARE(besideWindow({screen}, leftHeavy, panel).left(), 8.0);
    }

    void theWindowsOwnScreenAmongSeveral()
    {
        // The window sits on the second screen, left of its middle; the panel follows it there
        // and never lands on the first screen.
        const QRectF second(1920, 0, 1280, 1024);
        const QRectF window(1940, 100, 600, 500);
        const QRectF placed = besideWindow({screen, second}, window, panel);
        QVERIFY(second.contains(placed));
        QCOMPARE(placed.left(), window.right() + gap);
    }

    void smallScreens()
    {
        // A screen smaller than the panel: the panel is at least at the screen's corner.
        const QRectF small(0, 0, 400, 300);
        const QRectF placed = besideWindow({small}, QRectF(10, 10, 300, 200), panel);
        QCOMPARE(placed.topLeft(), QPointF(0, 0));
        // No window known: the right edge of the first screen.
        QCOMPARE(besideWindow({screen}, std::nullopt, panel), QRectF(1432, 8, 480, 640));
        QCOMPARE(besideWindow({}, std::nullopt, panel).size(), panel);
    }

    void aPanelClearOfTheRingStays()
    {
        const QRectF here(912, 100, 480, 640);
        QCOMPARE(clearOf({screen}, QRectF(100, 100, 800, 600),
                         {QRectF(200, 120, 60, 30), QRectF(272, 110, 270, 96)}, here),
                 here);
    }

    void movesToTheNearestPlaceOffRingAndCard_data()
    {
        QTest::addColumn<QRectF>("ring");
        QTest::addColumn<QRectF>("card");
        // The panel stands right of a window that fills the left of the screen.
        QTest::newRow("ring left of the card")
            << QRectF(880, 300, 60, 30) << QRectF(952, 270, 270, 96);
        QTest::newRow("card left of the ring")
            << QRectF(1380, 300, 60, 30) << QRectF(1098, 270, 270, 96);
        QTest::newRow("card below the ring")
            << QRectF(1000, 40, 200, 30) << QRectF(965, 82, 270, 96);
        QTest::newRow("card above the ring")
            << QRectF(1000, 1000, 200, 30) << QRectF(965, 892, 270, 96);
    }

    void movesToTheNearestPlaceOffRingAndCard()
    {
        QFETCH(QRectF, ring);
        QFETCH(QRectF, card);
        const QRectF window(0, 0, 1400, 1080);
        const QRectF here(920, 100, 480, 640);
        const QRectF moved = clearOf({screen}, window, {ring, card}, here);
        QVERIFY(!covers(moved, ring));
        QVERIFY(!covers(moved, card));
        QVERIFY(screen.contains(moved));
        // Nothing nearer would do: a nearer place on the screen covers the ring or the card, or
        // covers the window where the chosen one does not.
        const QRectF usable = screen.adjusted(edgeMargin, edgeMargin, -edgeMargin, -edgeMargin);
        const double distance = QLineF(moved.topLeft(), here.topLeft()).length();
        for (int dx = -1000; dx <= 1000; dx += 10) {
            for (int dy = -600; dy <= 600; dy += 10) {
                const QRectF place = here.translated(dx, dy);
                if (!usable.contains(place) ||
                    QLineF(place.topLeft(), here.topLeft()).length() >= distance - 0.5)
                    continue;
                const bool clear = !covers(place, ring) && !covers(place, card);
                const bool better = clear && (!covers(place, window) || covers(moved, window));
                QVERIFY2(!better, qPrintable(QStringLiteral("%1,%2").arg(dx).arg(dy)));
            }
        }
    }

    void prefersLeavingTheWindowUncovered()
    {
        // Nearer places off the ring would cover the window; one beside it is taken instead.
        const QRectF window(500, 100, 800, 700);
        const QRectF ring(560, 150, 60, 30);
        const QRectF here(450, 120, 480, 640);
        const QRectF moved = clearOf({screen}, window, {ring}, here);
        QVERIFY(!covers(moved, ring));
        QVERIFY(!covers(moved, window));
    }

    void staysWhenNoPlaceIsClear()
    {
        // The ring and card span the whole small screen: the panel cannot help and stays.
        const QRectF small(0, 0, 800, 600);
        const QRectF here(300, 0, 480, 600);
        QCOMPARE(clearOf({small}, std::nullopt, {QRectF(0, 250, 800, 100)}, here), here);
    }

    void offTheRingAloneWhenRingAndCardLeaveNoRoom()
    {
        // A wide choice in a dialog on a small screen (LibreOffice's "Justified"): no place
        // keeps clear of the ring and the card beside it, one keeps clear of the ring.
        const QRectF small(0, 0, 1280, 800);
        const QRectF ring(408, 407, 573, 34);
        const QRectF card(408, 453, 573, 300);
        const QRectF here(888, 144, 380, 600);
        const QRectF moved = clearOf({small}, std::nullopt, {ring, card}, here);
        QVERIFY(!covers(moved, ring));
        QVERIFY(small.contains(moved));

        // A bigger panel cannot clear that ring at all: it keeps clear of its middle, where
        // the user clicks.
        const QRectF big(788, 144, 480, 640);
        const QRectF over = clearOf({small}, std::nullopt, {ring, card}, big);
        QVERIFY(!over.contains(ring.center()));
        QVERIFY(!covers(over, QRectF(ring.center().x() - 60, ring.y(), 120, ring.height())));
        QVERIFY(small.contains(over));
    }

    void onTheWindowsScreenBeforeAnother()
    {
        // A wide window on the right-hand screen, its control ringed with the card beside it:
        // every place there that keeps clear of them covers some of the window, one on the
        // left-hand screen would not. The panel stays on the screen the person works on.
        const QRectF second(1280, 0, 1280, 800);
        const QRectF window(1300, 100, 1000, 600);
        const QList<QRectF> ringAndCard{QRectF(1320, 300, 200, 30), QRectF(1532, 267, 270, 96)};
        const QRectF moved = clearOf({QRectF(0, 0, 1280, 800), second}, window, ringAndCard,
                                     QRectF(1800, 100, 480, 640));
        QVERIFY(second.contains(moved));
        QVERIFY(!covers(moved, ringAndCard[0]) && !covers(moved, ringAndCard[1]));
    }

    void onAnotherScreenWhenItsOwnHasNoRoom()
    {
        const QRectF second(1920, 0, 1920, 1080);
        const QRectF ring(0, 0, 1920, 1080); // the whole first screen is taken
        const QRectF moved =
            clearOf({screen, second}, std::nullopt, {ring}, QRectF(100, 100, 480, 640));
        QVERIFY(second.contains(moved));
    }
};

QTEST_GUILESS_MAIN(PanelPlacementTest)
#include "PanelPlacementTest.moc"
