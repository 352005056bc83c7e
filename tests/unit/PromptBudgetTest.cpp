// SPDX-License-Identifier: GPL-3.0-or-later
// How large a request is estimated to be, the context asked for it, and which elements are
// left out, in which order, when a model's context cannot hold them all.
#include "model_client/PromptBudget.h"
#include "model_client/LLMClient.h"

#include <QTest>

namespace {

const QRectF window(0, 0, 1000, 800);

GuideElement element(qint64 id, const QString& title, const QPointF& centre,
                     GuideElement::Source source = GuideElement::Source::accessibility,
                     bool menuBar = false)
{
    return {id,     QStringLiteral("button"),
            title,  QRectF(centre - QPointF(10, 10), QSizeF(20, 20)),
            source, menuBar};
}

// A list of every kind: menu-bar items, window elements at several distances from where the
// last step was (200, 200), and recognised text.
QList<GuideElement> mixedList()
{
    using Source = GuideElement::Source;
    return {element(1, QStringLiteral("File"), {20, 10}, Source::accessibility, true),
            element(2, QStringLiteral("Help"), {900, 10}, Source::accessibility, true),
            element(3, QStringLiteral("Near"), {220, 200}),
            element(4, QStringLiteral("Far"), {950, 750}),
            element(5, QStringLiteral("Middle"), {500, 500}),
            element(6, QStringLiteral("first words"), {100, 600}, Source::text),
            element(7, QStringLiteral("last words"), {120, 620}, Source::text)};
}

PromptBudget::Request request(const QList<GuideElement>& elements,
                              std::optional<QSize> image = std::nullopt)
{
    const Step last{QUuid::createUuid(),
                    1,
                    QStringLiteral("button \u201CTools\u201D"),
                    QStringLiteral("Open Tools."),
                    QRectF(190, 190, 20, 20),
                    false};
    return {LLMClient::systemPrompt(),
            QStringLiteral("export as PDF"),
            {last},
            elements,
            window,
            image};
}

QList<qint64> ids(const QList<GuideElement>& elements)
{
    QList<qint64> out;
    for (const GuideElement& e : elements)
        out.append(e.id);
    return out;
}

} // namespace

class PromptBudgetTest : public QObject
{
    Q_OBJECT

private slots:
    void aListThatFitsGoesWholeInAPowerOfTwoContext()
    {
        const PromptBudget::Request asked = request(mixedList(), QSize(1568, 1000));
        const PromptBudget::Plan plan = PromptBudget::plan(asked, 8192, 65536);
        QVERIFY(plan.fits);
        QCOMPARE(plan.sent, asked.elements);
        QCOMPARE(plan.system, LLMClient::taskPrompt(asked.system, asked.goal, asked.steps));
        QCOMPARE(plan.user, LLMClient::elementsPrompt(asked.elements, window));
        // Never less than one token per byte of text, plus the image and the answer.
        const qint64 textBytes = plan.system.toUtf8().size() + plan.user.toUtf8().size();
        QVERIFY(plan.tokens >=
                textBytes + PromptBudget::tiledImageTokens + PromptBudget::replyTokens);
        QCOMPARE(plan.context, 8192); // the floor holds this one

        // A larger floor is kept (no reload); a larger need takes the next power of two; the
        // model's own limit is never passed.
        QCOMPARE(PromptBudget::plan(asked, 16384, 65536).context, 16384);
        QList<GuideElement> many;
        for (int i = 1; i <= 300; ++i)
            many.append(element(i, QStringLiteral("Row %1").arg(i), {500, 400}));
        const PromptBudget::Plan large = PromptBudget::plan(request(many), 8192, 65536);
        QVERIFY(large.tokens > 8192 && large.tokens <= 16384);
        QCOMPARE(large.context, 16384);
        QCOMPARE(PromptBudget::plan(request(many), 8192, 12000).context, 12000);
    }

    void elementsAreLeftOutTextFromTheEndFirstThenTheFarthest()
    {
        const PromptBudget::Request asked = request(mixedList());
        const qint64 whole = PromptBudget::plan(asked, 0, 1'000'000).tokens;
        // Shrinking the limit a token at a time, record the order elements disappear in.
        QList<qint64> leftOut;
        QList<qint64> previous = ids(asked.elements);
        for (qint64 limit = whole; limit > 0 && !previous.isEmpty(); --limit) {
            const PromptBudget::Plan plan = PromptBudget::plan(asked, 0, limit);
            const QList<qint64> now = ids(plan.sent);
            for (qint64 id : previous) {
                if (!now.contains(id))
                    leftOut.append(id);
            }
            previous = now;
            QVERIFY(plan.tokens <= limit || plan.sent.isEmpty());
            // What is sent keeps the list's order and numbers.
            QVERIFY(std::is_sorted(now.begin(), now.end()));
        }
        QCOMPARE(leftOut, QList<qint64>({7, 6, 4, 5, 3, 2, 1}));
    }

    void theHistoryGivesWayFromItsOldestStepAndTheGoalNever()
    {
        PromptBudget::Request asked = request(mixedList());
        const qint64 bare = PromptBudget::plan(request({}), 0, 1'000'000).tokens;
        const PromptBudget::Plan tight = PromptBudget::plan(asked, 0, bare);
        QVERIFY(tight.fits);
        QVERIFY(tight.sent.isEmpty());
        QCOMPARE(tight.elementsLeftOut, asked.elements.size());
        QCOMPARE(tight.stepsLeftOut, 0);
        QVERIFY(tight.system.contains(QStringLiteral("\nGoal: export as PDF\n")));
        QVERIFY(tight.system.contains(QStringLiteral("Open Tools.")));

        // A long history, as a talkative model leaves: the oldest steps go first.
        Step older = asked.steps.first();
        older.number = 1;
        older.explanation = QString(4000, u'x');
        asked.steps.first().number = 2;
        asked.steps.prepend(older);
        const PromptBudget::Plan cut = PromptBudget::plan(asked, 0, bare);
        QVERIFY(cut.fits);
        QCOMPARE(cut.stepsLeftOut, 1);
        QVERIFY(
            cut.system.contains(QStringLiteral("2. button \u201CTools\u201D \u2014 Open Tools.")));
        QVERIFY(!cut.system.contains(QStringLiteral("xxxx")));

        // Without any history the goal alone may still not fit: then nothing is sent.
        const PromptBudget::Plan tooSmall = PromptBudget::plan(asked, 0, 100);
        QVERIFY(!tooSmall.fits);
        QCOMPARE(tooSmall.stepsLeftOut, 2);
        QVERIFY(tooSmall.system.contains(QStringLiteral("\nGoal: export as PDF\n")));
    }

    void historyLinesAreBoundedWhateverTheModelSaid()
    {
        PromptBudget::Request asked = request({});
        asked.steps.first().explanation = QStringLiteral("a") + QString(500'000, QChar(0x0301));
        const PromptBudget::Plan plan = PromptBudget::plan(asked, 0, 1'000'000);
        QVERIFY2(plan.system.size() < 3000, qPrintable(QString::number(plan.system.size())));
        QVERIFY(plan.fits);
    }

    // Recognised text that names nothing new costs tokens and tells the model nothing: marks that
    // are no words (an icon's glyph, a border read as a bar), and lines over controls that only
    // repeat their labels with a misread glyph or two. A control's own one-character name, short
    // words, a label beside a control and the same words elsewhere in the window still go.
    void recognisedTextThatNamesNothingNewIsNotSent()
    {
        using Source = GuideElement::Source;
        const QList<GuideElement> seen{
            element(1, QStringLiteral("="), {20, 10}),
            element(2, QStringLiteral("Apply"), {300, 10}),
            element(3, QStringLiteral("Tab 1"), {100, 300}),
            element(4, QStringLiteral("Tab 2"), {140, 300}),
            element(5, QStringLiteral("Fusion"), {100, 500}),
            element(6, QStringLiteral("OK"), {40, 10}, Source::text),
            element(7, QStringLiteral("\u00BB"), {60, 10}, Source::text),
            element(8, QStringLiteral("|="), {80, 10}, Source::text),
            element(9, QStringLiteral("\u2630 Menu"), {120, 10}, Source::text),
            element(10, QStringLiteral("wv Apply"), {303, 12}, Source::text),
            {11, QStringLiteral("text"), QStringLiteral("Tab1 | Tab2_"), QRectF(95, 292, 50, 16),
             Source::text},
            element(12, QStringLiteral("Style: | Fusion"), {92, 500}, Source::text),
            element(13, QStringLiteral("Apply"), {600, 600}, Source::text)};
        const PromptBudget::Plan plan = PromptBudget::plan(request(seen), 0, 1'000'000);
        QList<qint64> ids;
        for (const GuideElement& e : plan.sent)
            ids.append(e.id);
        QCOMPARE(ids, (QList<qint64>{1, 2, 3, 4, 5, 6, 9, 12, 13}));
        QCOMPARE(plan.elementsLeftOut, 0); // spared, not cut to fit: nobody need be told
        QVERIFY(!plan.user.contains(QStringLiteral("|=")));
    }

    void imagesCountAtLeastTheLargestFixedTiling()
    {
        QCOMPARE(PromptBudget::imageTokens(QSize(300, 200)), PromptBudget::tiledImageTokens);
        QCOMPARE(PromptBudget::imageTokens(QSize(1568, 1568)), 56 * 56);
        QCOMPARE(PromptBudget::imageTokens(QSize(1568, 1569)), 56 * 57);
        QCOMPARE(PromptBudget::textTokens(QStringLiteral("Größe")), 7); // bytes, not characters
    }

    void aServerThatFilledItsContextCutThePrompt()
    {
        QVERIFY(PromptBudget::wasCut(8192, 8192));
        QVERIFY(PromptBudget::wasCut(8192 - 128, 8192));
        QVERIFY(!PromptBudget::wasCut(8192 - 129, 8192));
        QVERIFY(!PromptBudget::wasCut(3000, 8192));
        // More than the context means it held more than was assumed, not that it cut.
        QVERIFY(!PromptBudget::wasCut(9000, 8192));
    }
};

QTEST_GUILESS_MAIN(PromptBudgetTest)
#include "PromptBudgetTest.moc"
