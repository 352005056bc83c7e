// SPDX-License-Identifier: GPL-3.0-or-later
// The pure parts of the Linux backend: grouping recognised words into the phrases that label
// controls, bounding recognition work, and where window-relative frames sit on the screen.
#include "platform/linux/DrawingScale.h"
#include "platform/linux/atspi/AtspiOrigins.h"
#include "platform/linux/tesseract/TesseractTextRecognition.h"
#include "platform/linux/tesseract/TextPhrases.h"

#include <QTest>

using TextPhrases::Phrase;

class LinuxBackendTest : public QObject
{
    Q_OBJECT

private slots:
    void wideGapsSeparateLabelsOnOneBaseline()
    {
        // A menu bar read as one line: words 14 px high, 4 px apart within a label, 20 apart
        // between labels.
        const QList<Phrase> line{{"File", QRect(10, 5, 30, 14)},
                                 {"Edit", QRect(60, 5, 30, 14)},
                                 {"Save", QRect(110, 5, 34, 14)},
                                 {"As\u2026", QRect(148, 5, 20, 14)},
                                 {" ", QRect(170, 5, 4, 14)}};
        const QList<Phrase> phrases = TextPhrases::split(line);
        QCOMPARE(phrases.size(), 3);
        QCOMPARE(phrases[2].text, QStringLiteral("Save As\u2026"));
        QCOMPARE(phrases[2].box, QRect(110, 5, 58, 14));
    }

    void secondPassAddsOnlyWhatTheFirstMissed()
    {
        const QList<Phrase> first{{"Open", QRect(0, 0, 40, 12)}};
        const QList<Phrase> second{{"0pen", QRect(2, 1, 38, 12)}, {"Close", QRect(100, 0, 40, 12)}};
        const QList<Phrase> merged = TextPhrases::merge(first, second);
        QCOMPARE(merged.size(), 2);
        QCOMPARE(merged[1].text, QStringLiteral("Close"));
    }

    void darkThemesAreRecognised()
    {
        QImage dark(200, 100, QImage::Format_RGB32);
        dark.fill(QColor(30, 30, 36));
        QVERIFY(TextPhrases::isDark(dark));
        dark.fill(QColor(246, 245, 244));
        QVERIFY(!TextPhrases::isDark(dark));
    }

    void recognitionWorkIsBoundedForHugeWindows()
    {
        using Scales = TesseractTextRecognition::PassScales;
        const auto pixels = [](QSize size, double scale) {
            return size.width() * scale * size.height() * scale;
        };
        // A dialog's block is read as it is and enlarged twice for small text; a whole office
        // window less, within the sparse pass's pixels.
        const Scales ordinary = TesseractTextRecognition::passScales({800, 480});
        QCOMPARE(ordinary.layout, 1.0);
        QCOMPARE(ordinary.sparse, 2.0);
        const Scales office = TesseractTextRecognition::passScales({1600, 900});
        QCOMPARE(office.layout, 1.0);
        QVERIFY(office.sparse > 1.0 && office.sparse < 2.0);
        // A window across two 4K screens is neither enlarged nor read at full size.
        const QSize huge(7680, 2160);
        const Scales bounded = TesseractTextRecognition::passScales(huge);
        QVERIFY(pixels(huge, bounded.layout) <= TesseractTextRecognition::maxLayoutPixels + 1);
        QVERIFY(pixels(huge, bounded.sparse) <= TesseractTextRecognition::maxSparsePixels + 1);
        QVERIFY(bounded.layout > 0 && bounded.sparse > 0);
    }

    // An application's own scale is read off its main window: the X window against the size
    // the application gives it, a title bar and borders allowed for on either side.
    void applicationsDrawnAtAScaleOfTheirOwnAreFound_data()
    {
        QTest::addColumn<QSizeF>("accessible");
        QTest::addColumn<QList<QRectF>>("frames");
        QTest::addColumn<double>("scale");
        const QRectF x11Window(640, 327, 1280, 960);
        QTest::newRow("GDK_SCALE=2, the WM frame counted in") // as mousepad gives it
            << QSizeF(642, 493) << QList<QRectF>{x11Window} << 2.0;
        QTest::newRow("GDK_SCALE=2, GTK 4's border around its content") // gnome-calculator
            << QSizeF(355, 486) << QList<QRectF>{QRectF(915, 329, 730, 992)} << 2.0;
        QTest::newRow("QT_SCALE_FACTOR=1.5")
            << QSizeF(800, 600) << QList<QRectF>{QRectF(0, 0, 1200, 900)} << 1.5;
        QTest::newRow("unscaled") << QSizeF(1280, 960) << QList<QRectF>{x11Window} << 1.0;
        // A dialog of the same application that happens to be half the size of its main
        // window is itself on screen: no scale.
        QTest::newRow("a window of that size is there too")
            << QSizeF(640, 480) << QList<QRectF>{x11Window, QRectF(10, 10, 640, 480)} << 1.0;
        QTest::newRow("no multiple") << QSizeF(500, 500) << QList<QRectF>{x11Window} << 1.0;
        QTest::newRow("no window") << QSizeF(640, 480) << QList<QRectF>{} << 1.0;
        QTest::newRow("an empty extent") << QSizeF(0, 0) << QList<QRectF>{x11Window} << 1.0;
    }

    void applicationsDrawnAtAScaleOfTheirOwnAreFound()
    {
        QFETCH(QSizeF, accessible);
        QFETCH(QList<QRectF>, frames);
        QFETCH(double, scale);
        QCOMPARE(drawingScale(accessible, frames), scale);
    }

    void originsAreBoundedBetweenReadsNeverDuringOne()
    {
        AtspiOrigins origins;
        const auto node = [](int i) { return AXNode{QStringLiteral(":1.5"), QString::number(i)}; };
        origins.startRead();
        origins.set(node(0), QPointF(100, 50));
        // One read walks a huge tree: every node learns its window's origin, also past the
        // bound, and keeps it for the rest of the read.
        QList<AXNode> children;
        for (int i = 1; i <= AtspiOrigins::maxRemembered + 10; ++i)
            children.append(node(i));
        origins.inherit(node(0), children);
        origins.inherit(children.last(), {node(-1)});
        QCOMPARE(origins.of(node(-1)), std::optional<QPointF>(QPointF(100, 50)));
        QCOMPARE(origins.of(node(1)), std::optional<QPointF>(QPointF(100, 50)));
        // The next read starts afresh, and learns again from its window down.
        origins.startRead();
        QCOMPARE(origins.of(node(1)), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(LinuxBackendTest)
#include "LinuxBackendTest.moc"
