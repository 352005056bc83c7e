// SPDX-License-Identifier: GPL-3.0-or-later
// The texts sent to the model, to the character.
#include "model_client/LLMClient.h"

#include <QTest>

namespace {

GuideElement element(qint64 id, const QString& title, const QRectF& frame)
{
    return {id, QStringLiteral("button"), title, frame, GuideElement::Source::accessibility, false};
}

const QRectF window(100, 200, 800, 600);

} // namespace

class PromptBuildingTest : public QObject
{
    Q_OBJECT

private slots:
    void systemPromptExampleIsAReplyTheParserAccepts()
    {
        // The example the model is shown is one this program can read back.
        const QString& prompt = LLMClient::systemPrompt();
        QVERIFY(!prompt.contains(u'\n'));
        const qsizetype open = prompt.indexOf(u'{');
        const QString example = prompt.mid(open, prompt.indexOf(u'}', open) - open + 1);
        const GuideElement file = element(12, QStringLiteral("File"), {});
        const std::optional<ModelReply> reply = LLMClient::parse(example, {file});
        QVERIFY(reply);
        QCOMPARE(reply->id, 12);
        QVERIFY(!reply->done);
    }

    void theSentenceIsAskedForInTheReadersLanguage()
    {
        const QString english = LLMClient::systemPrompt(QLocale(QLocale::English, QLocale::Canada));
        QCOMPARE(LLMClient::systemPrompt(QLocale::c()), english);
        QVERIFY(!english.contains(QStringLiteral("Write the explanation")));
        QCOMPARE(LLMClient::systemPrompt(QLocale(QLocale::German, QLocale::Austria)),
                 english + QStringLiteral(" Write the explanation in German."));
        QCOMPARE(LLMClient::systemPrompt(QLocale(QLocale::Japanese)),
                 english + QStringLiteral(" Write the explanation in Japanese."));
    }

    // What stays the same through a task comes first, in the system message, so that a server
    // reuses what it computed for it; the elements, which change with every step, come last.
    void theTaskLeadsAndTheElementsFollow()
    {
        const Step step{QUuid::createUuid(),           1,  QStringLiteral("File"),
                        QStringLiteral("Click File."), {}, false};
        const QString first =
            LLMClient::taskPrompt(QStringLiteral("Be brief."), QStringLiteral("g"), {});
        const QString second =
            LLMClient::taskPrompt(QStringLiteral("Be brief."), QStringLiteral("g"), {step});
        QCOMPARE(first, QStringLiteral("Be brief.\n\nGoal: g\n"));
        QCOMPARE(second, QStringLiteral("Be brief.\n\nGoal: g\n"
                                        "\n"
                                        "Steps already suggested (the user has presumably done "
                                        "them):\n"
                                        "1. File \u2014 Click File.\n"));
        QVERIFY(second.startsWith(first));

        const QString elements = LLMClient::elementsPrompt(
            {element(1, QStringLiteral("Export"), QRectF(130.6, 245.2, 80.9, 21.5))}, window);
        QCOMPARE(elements, QStringLiteral("Elements (id | kind | label | x,y of its centre "
                                          "relative to the window):\n"
                                          "1 | button | Export | 71,55\n"
                                          "\n"
                                          "Which element should the user use next?"));
    }

    // A server scales an image down to its model's vision input; what is wider is sent for
    // nothing. Families whose input is not known get the general limit.
    void imagesGoAtTheWidthTheModelReads_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("width");
        QTest::newRow("LLaVA 1.6") << "llava:7b" << 672;
        QTest::newRow("LLaVA 1.6 as LM Studio names it") << "llava-v1.6-mistral-7b" << 672;
        QTest::newRow("LLaVA 1.5 on Llama 3") << "llava-llama3:8b" << 336;
        QTest::newRow("BakLLaVA") << "BakLLaVA:7b" << 336;
        QTest::newRow("Gemma 3") << "gemma3:4b" << 896;
        QTest::newRow("Llama 3.2 Vision") << "llama3.2-vision:11b" << 1120;
        QTest::newRow("unknown family") << "qwen2.5vl:7b" << LLMClient::maxJpegWidth;
    }

    void imagesGoAtTheWidthTheModelReads()
    {
        QFETCH(QString, model);
        QFETCH(int, width);
        QCOMPARE(LLMClient::imageWidthFor(model), width);
    }

    void elementLines_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<QString>("line");
        const QRectF plain(110, 210, 10, 10);
        QTest::newRow("line feed becomes a space")
            << "Save\nAs" << plain << "1 | button | Save As | 15,15";
        QTest::newRow("carriage return and tab stay")
            << "a\rb\tc" << plain << "1 | button | a\rb\tc | 15,15";
        QTest::newRow("cut at 80")
            << QString(100, u'x') << plain << "1 | button | " + QString(80, u'x') + " | 15,15";
        const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
        QTest::newRow("emoji kept whole")
            << QString(79, u'a') + family + "zz" << plain
            << "1 | button | " + QString(79, u'a') + family + " | 15,15";
        QTest::newRow("left of and above the window")
            << "L" << QRectF(90, 195, 4, 2) << "1 | button | L | -8,-4";
        QTest::newRow("negative size is standardised")
            << "N" << QRectF(130, 230, -20, -10) << "1 | button | N | 20,25";
        QTest::newRow("not finite")
            << "I" << QRectF(qInf(), 210, 10, 10) << "1 | button | I | 0,15";
    }

    void elementLines()
    {
        QFETCH(QString, title);
        QFETCH(QRectF, frame);
        QFETCH(QString, line);
        const QString prompt = LLMClient::elementsPrompt({element(1, title, frame)}, window);
        QVERIFY2(prompt.contains(u'\n' + line + u'\n'), qPrintable(prompt));
    }
};

QTEST_GUILESS_MAIN(PromptBuildingTest)
#include "PromptBuildingTest.moc"
