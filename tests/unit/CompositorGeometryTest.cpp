// SPDX-License-Identifier: GPL-3.0-or-later
// How window geometry on Wayland (GNOME Shell, KWin) is turned into screen positions and window
// pictures: where each toolkit's accessible extents count from, which popup shows an open menu, and
// the shadow cut off a capture.
#include "platform/linux/CompositorWindow.h"

#include <QTest>

namespace {

CompositorWindow window(QRect frame, QRect buffer, bool popup = false)
{
    CompositorWindow w;
    w.frame = frame;
    w.buffer = buffer;
    w.popup = popup;
    return w;
}

} // namespace

class CompositorGeometryTest : public QObject
{
    Q_OBJECT

private slots:
    void accessibleExtentsCountFromTheBufferOrTheFrame_data()
    {
        QTest::addColumn<QSizeF>("accessibleWindow");
        QTest::addColumn<QPointF>("origin");
        // One application with a main window (shadowed), a dialog without shadow and a window
        // with a title bar of its own.
        // GTK 3 reports its whole surface, shadow included: the buffer counts.
        QTest::newRow("GTK 3 window") << QSizeF(692, 569) << QPointF(293, 92);
        // GTK 4 reports the visible window: the frame counts.
        QTest::newRow("GTK 4 window") << QSizeF(640, 517) << QPointF(319, 115);
        // A dialog whose buffer and frame are one: either rule gives the same corner.
        QTest::newRow("unshadowed dialog") << QSizeF(300, 200) << QPointF(700, 400);
        // A size no window has exactly (a window resizing): the frame closest in size.
        QTest::newRow("resizing window") << QSizeF(650, 520) << QPointF(319, 115);
        // Qt 6 reports the content inside the title bar and 3 px border it draws itself.
        QTest::newRow("Qt window") << QSizeF(1274, 735) << QPointF(3, 62);
    }

    void accessibleExtentsCountFromTheBufferOrTheFrame()
    {
        QFETCH(QSizeF, accessibleWindow);
        QFETCH(QPointF, origin);
        const QList<CompositorWindow> windows{
            window(QRect(319, 115, 640, 517), QRect(293, 92, 692, 569)),
            window(QRect(700, 400, 300, 200), QRect(700, 400, 300, 200)),
            window(QRect(0, 32, 1280, 768), QRect(0, 32, 1280, 768)),
        };
        QCOMPARE(CompositorGeometry::accessibleOrigin(accessibleWindow, windows), origin);
        QVERIFY(!CompositorGeometry::accessibleOrigin(accessibleWindow, {}));
    }

    // An open menu is shown by the popup beside its title, not by another popup of the
    // application (a tooltip, a second menu further away).
    void anOpenMenuIsShownByThePopupBesideItsTitle()
    {
        const QRectF editTitle(359, 152, 44, 26);
        const QList<CompositorWindow> popups{
            window(QRect(900, 600, 120, 30), QRect(890, 590, 140, 50), true),
            window(QRect(359, 178, 384, 394), QRect(353, 173, 396, 406), true),
        };
        QCOMPARE(CompositorGeometry::popupBeside(editTitle, popups),
                 std::optional<QRectF>(QRectF(359, 178, 384, 394)));
        QVERIFY(!CompositorGeometry::popupBeside(editTitle, {}));
    }

    // A capture holds the window's buffer; only the frame is the window a person sees.
    void aCaptureIsCutToTheFrame_data()
    {
        QTest::addColumn<int>("scale");
        QTest::newRow("one to one") << 1;
        QTest::newRow("scaled display") << 2;
    }

    void aCaptureIsCutToTheFrame()
    {
        QFETCH(int, scale);
        const QRect buffer(37, 79, 482, 611);
        const QRect frame(98, 134, 360, 489);
        QImage capture(buffer.size() * scale, QImage::Format_ARGB32);
        capture.fill(Qt::transparent); // the shadow
        const QRect inside((frame.topLeft() - buffer.topLeft()) * scale, frame.size() * scale);
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x)
                capture.setPixelColor(x, y, QColor(x % 256, y % 256, 200));
        }
        const QImage cut = CompositorGeometry::cropToFrame(capture, frame, buffer);
        QCOMPARE(cut.size(), frame.size() * scale);
        QCOMPARE(cut, capture.copy(inside));
    }

    void aFrameOutsideTheCaptureGivesNoPicture()
    {
        QImage capture(100, 100, QImage::Format_ARGB32);
        capture.fill(Qt::red);
        QVERIFY(
            CompositorGeometry::cropToFrame(capture, QRect(500, 500, 50, 50), QRect(0, 0, 100, 100))
                .isNull());
        QVERIFY(CompositorGeometry::cropToFrame(QImage(), QRect(0, 0, 5, 5), QRect(0, 0, 5, 5))
                    .isNull());
        QVERIFY(CompositorGeometry::cropToFrame(capture, QRect(0, 0, 5, 5), QRect()).isNull());
    }
};

QTEST_GUILESS_MAIN(CompositorGeometryTest)
#include "CompositorGeometryTest.moc"
