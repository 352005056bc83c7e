// Grouping recognised words into the phrases that label controls.
#include "platform/linux/TextPhrases.h"

#include <QTest>

using TextPhrases::Phrase;

class TextPhrasesTest : public QObject
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
};

QTEST_GUILESS_MAIN(TextPhrasesTest)
#include "TextPhrasesTest.moc"
