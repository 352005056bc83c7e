// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ElementMerging.h"
#include "session/FieldLabels.h"

#include <QTest>

namespace {

const QRectF window(100, 100, 800, 600);

GuideElement axElement(const QString& title, const QRectF& frame, bool menuBar = false)
{
    return {99,     QStringLiteral("button"), title, frame, GuideElement::Source::accessibility,
            menuBar};
}

TextLine line(const QString& text)
{
    return {text, QRectF(120, 140, 50, 12)};
}

QStringList titles(const QList<GuideElement>& elements)
{
    QStringList out;
    for (const GuideElement& e : elements)
        out.append(e.title);
    return out;
}

GuideElement field(const QString& role, const QRectF& frame)
{
    return {0,    role, QStringLiteral("(unlabeled)"), frame, GuideElement::Source::accessibility,
            false};
}

} // namespace

class ElementMergingTest : public QObject
{
    Q_OBJECT

private slots:
    void keepsMenuBarAnywhereAndWindowElementsThatTouchTheWindow()
    {
        const QList<GuideElement> ax{
            axElement(QStringLiteral("Edit"), QRectF(0, 0, 30, 20), true),
            axElement(QStringLiteral("Outside"), QRectF(1000, 100, 50, 20)),
            axElement(QStringLiteral("Straddling"), QRectF(880, 120, 50, 20)),
        };
        const QList<GuideElement> merged = ElementMerging::merge(ax, {}, window);
        QCOMPARE(titles(merged), QStringList({"Edit", "Straddling"}));
        QCOMPARE(merged[1].frame, QRectF(880, 120, 50, 20)); // kept whole, not clipped
        QVERIFY(merged[0].isMenuBar);
    }

    void capsAndNumbersWithoutGaps()
    {
        QList<GuideElement> ax;
        for (int i = 0; i < 250; ++i)
            ax.append(axElement(QStringLiteral("b%1").arg(i), QRectF(110, 110, 10, 10)));
        QList<TextLine> lines;
        for (int i = 0; i < 100; ++i)
            lines.append(line(QStringLiteral("line %1").arg(i)));
        const QList<GuideElement> merged = ElementMerging::merge(ax, lines, window);
        QCOMPARE(merged.size(), 280);
        QCOMPARE(merged[199].title, QStringLiteral("b199"));
        QCOMPARE(merged[200].title, QStringLiteral("line 0"));
        QCOMPARE(merged.last().title, QStringLiteral("line 79"));
        for (qsizetype i = 0; i < merged.size(); ++i)
            QCOMPARE(merged[i].id, i + 1);
    }

    void recognisedTextIsDroppedOnlyWhenATitleContainsIt()
    {
        const QList<GuideElement> ax{
            axElement(QStringLiteral("Save As\u2026"), QRectF(110, 110, 10, 10)),
            axElement(QStringLiteral("Export"), QRectF(110, 130, 10, 10)),
            axElement(QString(), QRectF(110, 150, 10, 10)),
        };
        const QList<TextLine> lines{
            line(QStringLiteral("save")), line(QStringLiteral("Export as PDF")),
            line(QStringLiteral("X")),    line(QStringLiteral("OK")),
            line(QStringLiteral("OK")),   line(QStringLiteral("\u00C9T\u00C9"))};
        const QList<GuideElement> merged = ElementMerging::merge(ax, lines, window);
        QCOMPARE(titles(merged).mid(3),
                 QStringList({"Export as PDF", "OK", "OK", "\u00C9T\u00C9"}));
        const GuideElement& text = merged[3];
        QCOMPARE(text.role, QStringLiteral("text"));
        QCOMPARE(text.source, GuideElement::Source::text);
        QVERIFY(!text.isMenuBar);
    }

    void caseIsIgnoredBeyondAscii()
    {
        const QList<GuideElement> ax{
            axElement(QStringLiteral("\u00C9t\u00E9 ouvert"), QRectF(110, 110, 10, 10))};
        QCOMPARE(ElementMerging::merge(ax, {line(QStringLiteral("\u00C9T\u00C9"))}, window).size(),
                 1);
    }

    void lengthCountsUserPerceivedCharacters()
    {
        // One flag is four code units but a single character; "e" plus a combining accent too.
        const QList<TextLine> lines{line(QStringLiteral("\U0001F1EB\U0001F1F7")),
                                    line(QStringLiteral("e\u0301")),
                                    line(QStringLiteral("\U0001F1EB\U0001F1F7!"))};
        QCOMPARE(titles(ElementMerging::merge({}, lines, window)),
                 QStringList({"\U0001F1EB\U0001F1F7!"}));
    }

    void accessibilityElementsKeepTheirTitlesWhenTextIsAdded()
    {
        const QList<GuideElement> merged =
            ElementMerging::merge({}, {line(QStringLiteral(" Open "))}, window);
        QCOMPARE(merged.first().title, QStringLiteral(" Open ")); // unchanged, not trimmed
        QCOMPARE(merged.first().id, 1);
    }

    void unlabelledFieldsTakeTheirVisibleLabel()
    {
        // A form laid out as zenity does: labels left of their fields on the same line, the
        // labels read from the tree and from the screen; a text area labelled from above.
        const QList<GuideElement> fields{
            field(QStringLiteral("text field"), QRectF(586, 356, 168, 34)),
            field(QStringLiteral("combo box"), QRectF(586, 436, 168, 34)),
            field(QStringLiteral("text area"), QRectF(534, 520, 300, 120)),
            field(QStringLiteral("text field"), QRectF(586, 700, 168, 34)),
            axElement(QStringLiteral("OK"), QRectF(700, 760, 60, 30)),
        };
        const QList<TextLine> texts{
            {QStringLiteral("Name"), QRectF(534, 356, 39, 34)},     // from the tree
            {QStringLiteral("Colour:"), QRectF(530, 445, 46, 14)},  // recognised
            {QStringLiteral("Notes"), QRectF(534, 496, 40, 14)},    // above the text area
            {QStringLiteral("Lorem"), QRectF(470, 560, 50, 14)},    // beside it: not a label
            {QStringLiteral("OK"), QRectF(715, 768, 20, 14)},       // a button's own text
            {QStringLiteral("Far away"), QRectF(100, 710, 60, 14)}, // too far before
        };
        const QList<GuideElement> named = FieldLabels::nameUnlabelled(fields, texts);
        QCOMPARE(titles(named), QStringList({"Name", "Colour:", "Notes", "(unlabeled)", "OK"}));

        // A field standing between a text and another field takes the text; the other does not.
        const QList<GuideElement> row{{0, QStringLiteral("text field"), QStringLiteral("First"),
                                       QRectF(60, 10, 50, 20), GuideElement::Source::accessibility,
                                       false},
                                      field(QStringLiteral("text field"), QRectF(120, 10, 50, 20))};
        QCOMPARE(titles(FieldLabels::nameUnlabelled(
                     row, {{QStringLiteral("Name:"), QRectF(10, 12, 40, 14)}})),
                 QStringList({"First", "(unlabeled)"}));

        // Merged, a label that now names its field is not listed again as text.
        const QList<GuideElement> merged =
            ElementMerging::merge(named, {texts[1], texts[3]}, QRectF(0, 0, 1000, 1000));
        QCOMPARE(titles(merged),
                 QStringList({"Name", "Colour:", "Notes", "(unlabeled)", "OK", "Lorem"}));
    }
};

QTEST_GUILESS_MAIN(ElementMergingTest)
#include "ElementMergingTest.moc"
