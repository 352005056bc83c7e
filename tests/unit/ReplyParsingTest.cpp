// SPDX-License-Identifier: GPL-3.0-or-later
// How a model's reply text becomes a choice, with the variations local models produce.
#include "model_client/LLMClient.h"

#include <QTest>

Q_DECLARE_METATYPE(std::optional<ModelReply>)

namespace {

const QList<GuideElement> elements{
    {1,
     QStringLiteral("menu bar item"),
     QStringLiteral("File"),
     {},
     GuideElement::Source::accessibility,
     true},
    {2,
     QStringLiteral("button"),
     QStringLiteral("Save"),
     {},
     GuideElement::Source::accessibility,
     false},
    {3, QStringLiteral("text"), QStringLiteral("save"), {}, GuideElement::Source::text, false},
};

std::optional<ModelReply> reply(std::optional<qint64> id, const QString& explanation = {},
                                bool done = false)
{
    return ModelReply{id, explanation, done};
}

} // namespace

class ReplyParsingTest : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<ModelReply>>("expected");
        const std::optional<ModelReply> nothing;

        QTest::newRow("plain") << R"({"id": 12, "explanation": "Click File.", "done": false})"
                               << reply(12, "Click File.");
        QTest::newRow("code fence")
            << "```json\n{\"id\": 2, \"explanation\": \"x\"}\n```" << reply(2, "x");
        QTest::newRow("prose around") << "Sure! {\"id\": 1} Hope that helps." << reply(1);
        QTest::newRow("brace in trailing prose") << "{\"id\": 1} then {x}" << nothing;
        QTest::newRow("element_id string") << R"({"element_id": "12"})" << reply(12);
        QTest::newRow("element padded") << "{\"element\": \" \t5 \"}" << reply(5);
        QTest::newRow("signed strings") << R"({"id": "+7"})" << reply(7);
        QTest::newRow("fraction truncates") << R"({"id": 3.9})" << reply(3);
        QTest::newRow("negative fraction") << R"({"id": -3.9})" << reply(-3);
        QTest::newRow("title, case ignored, first wins") << R"({"id": "SAVE"})" << reply(2);
        QTest::newRow("unknown title falls through")
            << R"({"id": "the save button", "element_id": 4})" << reply(4);
        QTest::newRow("null id, done") << R"({"id": null, "done": true, "explanation": "Done."})"
                                       << reply(std::nullopt, "Done.", true);
        QTest::newRow("null id, not done") << R"({"id": null, "done": false})" << nothing;
        QTest::newRow("only an explanation") << R"({"explanation": "Click it"})" << nothing;
        QTest::newRow("reason when no explanation")
            << R"({"id": 1, "explanation": 5, "reason": "r"})" << reply(1, "r");
        QTest::newRow("explanation wins")
            << R"({"id": 1, "explanation": "e", "reason": "r"})" << reply(1, "e");
        QTest::newRow("done as text") << R"({"id": 1, "done": "true"})" << reply(1);
        QTest::newRow("unlisted id kept") << R"({"id": 999})" << reply(999);
        QTest::newRow("empty") << "" << nothing;
        QTest::newRow("no brace") << "click the File menu" << nothing;
        QTest::newRow("closing before opening") << "} {" << nothing;
        QTest::newRow("top-level array") << "[{\"id\": 1}]" << reply(1);
        QTest::newRow("invalid json") << "{id: 1}" << nothing;
        QTest::newRow("id too large") << R"({"id": 1e300})" << nothing;
        QTest::newRow("integer string too large") << R"({"id": "99999999999999999999"})" << nothing;
        QTest::newRow("boolean id") << R"({"id": true})" << nothing;
        QTest::newRow("explanation untouched")
            << "{\"id\": 1, \"explanation\": \"  two\\nlines \"}" << reply(1, "  two\nlines ");
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<ModelReply>, expected);
        const std::optional<ModelReply> parsed = LLMClient::parse(text, elements);
        QCOMPARE(parsed.has_value(), expected.has_value());
        if (expected) {
            QCOMPARE(parsed->id, expected->id);
            QCOMPARE(parsed->explanation, expected->explanation);
            QCOMPARE(parsed->done, expected->done);
        }
    }

    // A reply read as it streams in: at every cut, what is known agrees with the whole reply,
    // and the id is known as soon as it is written out (where `known` ends), never earlier.
    void previewAtEveryCut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("known");
        QTest::newRow("id first, as the schema asks")
            << "{\"id\": 123, \"explanation\": \"Open \\\"File\\\" \\u00e9 menu.\", \"done\": "
               "false}"
            << "{\"id\": 123,";
        QTest::newRow("id last") << "{\"explanation\": \"Click 1, then 2\", \"id\": 2}"
                                 << "{\"explanation\": \"Click 1, then 2\", \"id\": 2}";
        QTest::newRow("a title for an id, after a nested value")
            << "Here: {\"steps\": [{\"id\": 9}], \"element\": \"Save\", \"reason\": \"It saves.\"}"
            << "Here: {\"steps\": [{\"id\": 9}], \"element\": \"Save\"";
        QTest::newRow("no id at all")
            << "{\"explanation\": \"Nothing to click here.\"}" << QString();
        QTest::newRow("done") << "{\"id\": null, \"explanation\": \"All set.\", \"done\": true}"
                              << "{\"id\": null, \"explanation\": \"All set.\", \"done\": true";
    }

    void previewAtEveryCut()
    {
        QFETCH(QString, text);
        QFETCH(QString, known);
        const std::optional<ModelReply> whole = LLMClient::parse(text, elements);
        for (qsizetype cut = 0; cut <= text.size(); ++cut) {
            const std::optional<ModelReply> early = LLMClient::preview(text.first(cut), elements);
            const QByteArray where = "cut at " + QByteArray::number(cut);
            QVERIFY2(early.has_value() == (!known.isEmpty() && cut >= known.size()),
                     where.constData());
            if (!early)
                continue;
            QVERIFY2(early->id == whole->id && early->done == whole->done, where.constData());
            QVERIFY2(whole->explanation.startsWith(early->explanation), where.constData());
        }
    }

    // The card never shows half a word; a script without spaces shows what has come.
    void aSentenceBeingWrittenShowsWholeWords()
    {
        QCOMPARE(LLMClient::preview(u"{\"id\": 2, \"explanation\": \"Open the Fi", elements)
                     ->explanation,
                 QStringLiteral("Open the"));
        QCOMPARE(LLMClient::preview(u"{\"id\": 2, \"explanation\": \"\u6253\u5F00\u6587", elements)
                     ->explanation,
                 QStringLiteral("\u6253\u5F00\u6587"));
    }

    void previewReadsOnlyTheStartOfAHugeReply()
    {
        const QString huge = "{\"id\": 2, \"explanation\": \"" + QString(1'000'000, u'x');
        const std::optional<ModelReply> early = LLMClient::preview(huge, elements);
        QCOMPARE(early->id, 2);
        QVERIFY(early->explanation.size() < LLMClient::maxPreviewCharacters);
    }
};

QTEST_GUILESS_MAIN(ReplyParsingTest)
#include "ReplyParsingTest.moc"
