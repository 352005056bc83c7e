#include "recognize/TextRecognizer.h"

#include <QTest>

class TextRecognizerTest : public QObject
{
    Q_OBJECT

private slots:
    void boxesLandOnTheWindowTopFirst()
    {
        const QList<RecognizedLine> lines{
            {QStringLiteral("low"), QRectF(0.1, 0.3, 0.2, 0.1)},
            {std::nullopt, QRectF(0.1, 0.9, 0.2, 0.05)},
            {QStringLiteral("middle"), QRectF(0.25, 0.5, 0.5, 0.1)},
            {QStringLiteral("high"), QRectF(0.1, 0.85, 0.2, 0.05)},
            {QStringLiteral("also middle"), QRectF(0.6, 0.5, 0.2, 0.1)},
        };
        const QList<TextLine> placed =
            TextRecognizer::placeOnWindow(lines, QRectF(100, 50, 800, 600));
        QCOMPARE(placed.size(), 4);
        QCOMPARE(placed[0].text, QStringLiteral("high"));
        // Equal top edges keep the engine's order.
        QCOMPARE(placed[1].text, QStringLiteral("middle"));
        QCOMPARE(placed[2].text, QStringLiteral("also middle"));
        QCOMPARE(placed[3].text, QStringLiteral("low"));
        QCOMPARE(placed[1].frame, QRectF(300, 290, 400, 60));
    }
};

QTEST_GUILESS_MAIN(TextRecognizerTest)
#include "TextRecognizerTest.moc"
