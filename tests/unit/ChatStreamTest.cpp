// SPDX-License-Identifier: GPL-3.0-or-later
// Streamed answers as Ollama and LM Studio send them, cut wherever the network cuts them.
#include "model_client/ChatStream.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

const QString wholeText = QStringLiteral("{\"id\": 7, \"explanation\": \"Caf\u00e9\"}");
// The whole text in the pieces a model would generate it in.
const QStringList pieces{wholeText.first(5), wholeText.mid(5, wholeText.size() - 7),
                         wholeText.last(2)};

QByteArray json(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray ollamaStream()
{
    QByteArray body;
    for (const QString& piece : pieces) {
        body += json({{"model", "m"},
                      {"message", QJsonObject{{"role", "assistant"}, {"content", piece}}},
                      {"done", false}}) +
                '\n';
    }
    return body +
           json({{"model", "m"},
                 {"message", QJsonObject{{"role", "assistant"}, {"content", ""}}},
                 {"done", true},
                 {"prompt_eval_count", 812}}) +
           '\n';
}

// With what else an event stream may carry: comments, event names, CRLF line ends.
QByteArray lmStudioStream()
{
    QByteArray body = ": a comment\nevent: message\n";
    for (const QString& piece : pieces) {
        const QJsonObject delta{{"content", piece}};
        body +=
            "data:" + json({{"choices", QJsonArray{QJsonObject{{"index", 0}, {"delta", delta}}}}}) +
            "\r\n\r\n";
    }
    return body + "data: " +
           json({{"choices", QJsonArray{}}, {"usage", QJsonObject{{"prompt_tokens", 812}}}}) +
           "\n\ndata: [DONE]\n\n";
}

} // namespace

class ChatStreamTest : public QObject
{
    Q_OBJECT

private slots:
    void streams_data()
    {
        QTest::addColumn<Provider>("provider");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("Ollama") << Provider::ollama << ollamaStream();
        QTest::newRow("LM Studio") << Provider::lmStudio << lmStudioStream();
    }

    // Cut in two at every byte, and fed a byte at a time: the same answer, and text that
    // grows before the end.
    void streams()
    {
        QFETCH(Provider, provider);
        QFETCH(QByteArray, body);
        for (qsizetype cut = 0; cut <= body.size(); ++cut) {
            ChatStream stream(provider);
            stream.feed(QByteArrayView(body).first(cut));
            QVERIFY(wholeText.startsWith(stream.text()));
            stream.feed(QByteArrayView(body).sliced(cut));
            const Result<ChatAnswer> answer = stream.finish();
            QVERIFY2(answer.ok(), qPrintable(QString::number(cut)));
            QCOMPARE(answer.value().text, wholeText);
            QCOMPARE(answer.value().promptTokens, 812);
        }
        ChatStream trickle(provider);
        int grew = 0;
        for (char byte : body)
            grew += trickle.feed(QByteArrayView(&byte, 1)) ? 1 : 0;
        QCOMPARE(grew, 3);
        QCOMPARE(trickle.finish().value().text, wholeText);
    }

    // What a server says instead of a stream, or in the middle of one, ends the answer so.
    void whatIsNotAWholeStream()
    {
        const QByteArray firstLine = ollamaStream().left(ollamaStream().indexOf('\n') + 1);
        const Result<ChatAnswer> brokenOff = ChatStream::decode(Provider::ollama, firstLine);
        QCOMPARE(brokenOff.failure().domain, ChatStream::brokenOffDomain);
        const QByteArray noDone = lmStudioStream().left(lmStudioStream().indexOf("data: [DONE]"));
        QCOMPARE(ChatStream::decode(Provider::lmStudio, noDone).failure().domain,
                 ChatStream::brokenOffDomain);

        const QByteArray failing =
            firstLine + R"({"error":"model runner has unexpectedly stopped"})";
        QCOMPARE(ChatStream::decode(Provider::ollama, failing).failure().description,
                 QStringLiteral("model runner has unexpectedly stopped"));
        QCOMPARE(ChatStream::decode(Provider::lmStudio,
                                    R"(data: {"error":{"message":"Model unloaded"}})")
                     .failure()
                     .description,
                 QStringLiteral("Model unloaded"));

        // A server that ignored the stream and answered at once, even pretty-printed.
        QCOMPARE(ChatStream::decode(Provider::ollama,
                                    "{\n  \"message\": {\"content\": \"x\"},\n  \"done\": true\n}")
                     .value()
                     .text,
                 QStringLiteral("x"));
        QCOMPARE(ChatStream::decode(
                     Provider::lmStudio,
                     R"({"choices":[{"message":{"content":"y"}}],"usage":{"prompt_tokens":5}})")
                     .value()
                     .promptTokens,
                 5);
        QVERIFY(
            ChatStream::decode(Provider::ollama, "<html>busy</html>")
                .failure()
                .description.startsWith(QStringLiteral("The server's answer is not valid JSON")));
        // After the end nothing counts, an error included.
        QCOMPARE(ChatStream::decode(Provider::ollama, ollamaStream() + R"({"error":"late"})")
                     .value()
                     .text,
                 wholeText);
    }
};

QTEST_GUILESS_MAIN(ChatStreamTest)
#include "ChatStreamTest.moc"
