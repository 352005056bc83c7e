// SPDX-License-Identifier: GPL-3.0-or-later
// The client against fake Ollama and LM Studio servers on loopback: what the servers receive,
// what is read back, and how every kind of bad server ends.
#include "model_client/ModelServerWire.h"
#include "AwaitTask.h"
#include "FakeModelHttpServer.h"
#include "model_client/HttpModelServer.h"
#include "model_client/ImageEncoding.h"
#include "model_client/LLMClient.h"
#include "model_client/OllamaHost.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <QTest>
#include <atomic>
#include <memory>

using namespace std::chrono_literals;

namespace {

// Answers any request with a body that has no length given in advance, written a piece at a
// time as the client takes it: chunks, or bytes until the connection closes.
class FloodServer : public QObject
{
public:
    FloodServer(bool chunked, qint64 total) : m_server(this), m_chunked(chunked), m_total(total)
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                socket->readAll();
                if (!m_started) {
                    m_started = true;
                    socket->write(m_chunked ? "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"
                                              "Content-Type: application/json\r\n\r\n"
                                            : "HTTP/1.1 200 OK\r\nConnection: close\r\n"
                                              "Content-Type: application/json\r\n\r\n");
                    sendMore(socket);
                }
            });
            connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket] {
                if (socket->bytesToWrite() == 0)
                    sendMore(socket);
            });
            connect(socket, &QTcpSocket::disconnected, this, [this] { disconnected = true; });
        });
    }

    quint16 port() const { return m_server.serverPort(); }

    std::atomic<qint64> written = 0;
    std::atomic<bool> disconnected = false;

private:
    void sendMore(QTcpSocket* socket)
    {
        if (written >= m_total || socket->state() != QAbstractSocket::ConnectedState)
            return;
        const QByteArray piece(pieceBytes, ' ');
        if (m_chunked)
            socket->write(QByteArray::number(pieceBytes, 16) + "\r\n" + piece + "\r\n");
        else
            socket->write(piece);
        written += pieceBytes;
    }

    static constexpr qint64 pieceBytes = 256 * 1024;
    QTcpServer m_server;
    bool m_chunked;
    qint64 m_total;
    bool m_started = false;
};

// Answers the first request on each connection with scripted bytes: `opening` at once, then
// `drip` every `dripMs` until the client hangs up (never, when `drip` is empty).
class ScriptedServer : public QObject
{
public:
    ScriptedServer(QByteArray opening, QByteArray drip = {}, int dripMs = 50)
        : m_opening(std::move(opening)), m_drip(std::move(drip)), m_dripMs(dripMs)
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                socket->readAll();
                if (socket->property("answered").toBool())
                    return;
                socket->setProperty("answered", true);
                socket->write(m_opening);
                if (hangUpAfterOpening)
                    socket->disconnectFromHost();
                else if (!m_drip.isEmpty())
                    dripInto(socket);
            });
            connect(socket, &QTcpSocket::disconnected, this, [this] { ++hangUps; });
        });
    }

    quint16 port() const { return m_server.serverPort(); }
    bool hangUpAfterOpening = false;
    int hangUps = 0;
    qint64 dripped = 0;

private:
    void dripInto(QTcpSocket* socket)
    {
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [this, socket] {
            if (socket->state() == QAbstractSocket::ConnectedState) {
                socket->write(m_drip);
                dripped += m_drip.size();
            }
        });
        timer->start(m_dripMs);
    }

    QTcpServer m_server;
    QByteArray m_opening;
    QByteArray m_drip;
    int m_dripMs;
};

} // namespace

namespace {

HttpModelServer clientFor(const FakeModelHttpServer& server,
                          HttpModelServer::Timeouts timeouts = {})
{
    return HttpModelServer({{server.provider(), server.port()}}, timeouts);
}

Result<QString> ask(HttpModelServer& client, Provider provider, std::optional<QString> image = {})
{
    const ChatRequest request{
        provider,         QStringLiteral("m"), QStringLiteral("sys"), QStringLiteral("usr"),
        std::move(image), std::nullopt};
    const Result<ChatAnswer> answer = awaitTask(client.ask(request, Cancellation(), {}));
    if (!answer)
        return answer.failure();
    return answer.value().text;
}

// Starts a request and returns at once; `answer` is set when it ends.
QCoro::Task<> askInto(HttpModelServer& client, const ChatRequest& request,
                      const Cancellation& cancellation, std::optional<Result<ChatAnswer>>& answer)
{
    answer = co_await client.ask(request, cancellation, {});
}

} // namespace

class ModelServerWireTest : public QObject
{
    Q_OBJECT

private slots:
    void ollamaRequestBodies()
    {
        FakeModelHttpServer server(Provider::ollama);
        HttpModelServer client = clientFor(server);
        server.replyContent = QStringLiteral("{\"id\": 1}");
        QCOMPARE(ask(client, Provider::ollama, QStringLiteral("QUJD")).value(),
                 QStringLiteral("{\"id\": 1}"));
        ask(client, Provider::ollama);

        QCOMPARE(server.received.size(), 2);
        const FakeModelHttpServer::Received& withImage = server.received[0];
        QCOMPARE(withImage.method, QByteArray("POST"));
        QCOMPARE(withImage.path, QStringLiteral("/api/chat"));
        QCOMPARE(withImage.contentType, QByteArray("application/json"));
        QJsonObject body = withImage.json();
        QCOMPARE(body.keys(),
                 QStringList({"format", "keep_alive", "messages", "model", "options", "stream"}));
        QCOMPARE(body["format"].toString(), QStringLiteral("json"));
        QCOMPARE(body["options"].toObject(), QJsonObject({{"temperature", 0}}));
        QCOMPARE(body["stream"], QJsonValue(true));
        QJsonArray messages = body["messages"].toArray();
        QCOMPARE(messages[0].toObject(), QJsonObject({{"role", "system"}, {"content", "sys"}}));
        QCOMPARE(
            messages[1].toObject(),
            QJsonObject({{"role", "user"}, {"content", "usr"}, {"images", QJsonArray{"QUJD"}}}));

        messages = server.received[1].json()["messages"].toArray();
        QCOMPARE(messages[1].toObject().keys(), QStringList({"content", "role"}));
    }

    void lmStudioRequestBodies()
    {
        FakeModelHttpServer server(Provider::lmStudio);
        HttpModelServer client = clientFor(server);
        server.replyContent = QStringLiteral("ok");
        QCOMPARE(ask(client, Provider::lmStudio, QStringLiteral("QUJD")).value(),
                 QStringLiteral("ok"));
        ask(client, Provider::lmStudio);

        QCOMPARE(server.received[0].path, QStringLiteral("/v1/chat/completions"));
        const QJsonObject body = server.received[0].json();
        QCOMPARE(body.keys(),
                 QStringList({"messages", "model", "stream", "stream_options", "temperature"}));
        QCOMPARE(body["temperature"], QJsonValue(0));
        QCOMPARE(body["stream"], QJsonValue(true));
        QCOMPARE(body["stream_options"], QJsonObject({{"include_usage", true}}));
        const QJsonArray content = body["messages"].toArray()[1].toObject()["content"].toArray();
        QCOMPARE(content[0].toObject(), QJsonObject({{"type", "text"}, {"text", "usr"}}));
        QCOMPARE(content[1].toObject(),
                 QJsonObject({{"type", "image_url"},
                              {"image_url", QJsonObject{{"url", "data:image/jpeg;base64,QUJD"}}}}));
        QCOMPARE(server.received[1].json()["messages"].toArray()[1].toObject()["content"],
                 QJsonValue("usr"));
    }

    // Where the server takes a schema the reply is held to it, the id generated first; where it
    // may not (an older Ollama), Ollama's plain JSON mode, and nothing for LM Studio.
    void aReplySchemaGoesOnlyWhereTheServerTakesIt()
    {
        for (Provider provider : Providers::allCases) {
            ChatRequest request{
                provider,     QStringLiteral("m"), QStringLiteral("sys"), QStringLiteral("usr"),
                std::nullopt, std::nullopt};
            const QJsonObject plain =
                QJsonDocument::fromJson(ModelServerWire::chatBody(request)).object();
            request.replySchema = true;
            const QByteArray schemaBody = ModelServerWire::chatBody(request);
            const QJsonObject held = QJsonDocument::fromJson(schemaBody).object();
            QVERIFY2(!held.isEmpty(), schemaBody.constData());
            QJsonObject schema;
            if (provider == Provider::ollama) {
                QCOMPARE(plain["format"].toString(), QStringLiteral("json"));
                schema = held["format"].toObject();
            } else {
                QVERIFY(!plain.contains("response_format"));
                const QJsonObject format = held["response_format"].toObject();
                QCOMPARE(format["type"].toString(), QStringLiteral("json_schema"));
                schema = format["json_schema"].toObject()["schema"].toObject();
            }
            QCOMPARE(schema["required"].toArray(), (QJsonArray{"id", "explanation", "done"}));
            QCOMPARE(schema["properties"].toObject()["id"].toObject()["type"].toArray(),
                     (QJsonArray{"integer", "null"}));
            // The order the model writes in is the order of the text, which Qt's objects lose.
            const qsizetype id = schemaBody.indexOf(R"("id":{)");
            QVERIFY(id > 0 && id < schemaBody.indexOf(R"("explanation":{)"));
            QCOMPARE(held["messages"], plain["messages"]);
        }
    }

    void theContextIsAskedOfOllamaOnlyAndTheTokensReadAreReadBack()
    {
        for (Provider provider : Providers::allCases) {
            FakeModelHttpServer server(provider);
            server.defaultContext = 4096;
            HttpModelServer client = clientFor(server);
            const ChatRequest request{provider,
                                      QStringLiteral("m"),
                                      QStringLiteral("sys"),
                                      QStringLiteral("usr"),
                                      std::nullopt,
                                      16384};
            const Result<ChatAnswer> answer = awaitTask(client.ask(request, Cancellation(), {}));
            const QJsonObject body = server.received.last().json();
            if (provider == Provider::ollama) {
                QCOMPARE(body["options"].toObject(),
                         QJsonObject({{"temperature", 0}, {"num_ctx", 16384}}));
                QCOMPARE(body["keep_alive"].toString(), QStringLiteral("30m"));
            } else {
                QVERIFY(!body.contains("options") && !body.contains("num_ctx"));
            }
            // "sys" and "usr" with the fake's two bytes a token.
            QCOMPARE(answer.value().promptTokens, 3);
        }
    }

    void serversDescribeTheirModels()
    {
        FakeModelHttpServer ollama(Provider::ollama);
        ollama.cards.insert(QStringLiteral("eyes"), {true, 131072, std::nullopt});
        HttpModelServer toOllama = clientFor(ollama);
        const Result<ModelCapabilities> eyes =
            awaitTask(toOllama.capabilities(Provider::ollama, QStringLiteral("eyes")));
        QCOMPARE(eyes.value(), ModelCapabilities({true, 131072, std::nullopt, std::nullopt, true}));
        QCOMPARE(ollama.received.last().path, QStringLiteral("/api/show"));
        QCOMPARE(ollama.received.last().json(), QJsonObject({{"model", "eyes"}}));
        QVERIFY(!awaitTask(toOllama.capabilities(Provider::ollama, QStringLiteral("gone"))).ok());

        FakeModelHttpServer lmStudio(Provider::lmStudio);
        lmStudio.models = {QStringLiteral("resting"), QStringLiteral("ready")};
        lmStudio.cards.insert(QStringLiteral("resting"), {false, 32768, std::nullopt});
        lmStudio.cards.insert(QStringLiteral("ready"), {true, 32768, 8192});
        HttpModelServer toLmStudio = clientFor(lmStudio);
        QCOMPARE(awaitTask(toLmStudio.capabilities(Provider::lmStudio, QStringLiteral("resting")))
                     .value(),
                 ModelCapabilities({false, 32768, false, std::nullopt, true}));
        QCOMPARE(lmStudio.received.last().method, QByteArray("GET"));
        QCOMPARE(lmStudio.received.last().path, QStringLiteral("/api/v0/models"));
        QCOMPARE(
            awaitTask(toLmStudio.capabilities(Provider::lmStudio, QStringLiteral("ready"))).value(),
            ModelCapabilities({true, 32768, true, 8192, true}));
        QVERIFY(
            !awaitTask(toLmStudio.capabilities(Provider::lmStudio, QStringLiteral("gone"))).ok());
    }

    void descriptionsFromOlderOrOddServersLeaveFieldsOpen()
    {
        using ModelServerWire::decodeCapabilities;
        // Before capabilities were listed, a vision model's image encoder was described.
        const QByteArray older = R"({"projector_info": {"clip.has_vision_encoder": true},
            "model_info": {"general.architecture": "llama", "llama.context_length": 8192}})";
        QCOMPARE(decodeCapabilities(Provider::ollama, "m", older).value(),
                 ModelCapabilities({true, 8192, std::nullopt, std::nullopt, std::nullopt}));
        // A context under an unexpected architecture name is still found; nonsense is not taken.
        const QByteArray odd = R"({"model_info": {"general.architecture": "x",
            "y.context_length": 4096}})";
        QCOMPARE(decodeCapabilities(Provider::ollama, "m", odd).value(),
                 ModelCapabilities({std::nullopt, 4096, std::nullopt, std::nullopt, std::nullopt}));
        for (const char* context : {"-5", "0", "1.5", "1e300", "\"8192\"", "null"}) {
            const QByteArray body = QByteArray(R"({"capabilities": ["completion"], "model_info":
                {"general.architecture": "a", "a.context_length": )") +
                                    context + "}}";
            QCOMPARE(decodeCapabilities(Provider::ollama, "m", body).value(),
                     ModelCapabilities({false, std::nullopt, std::nullopt, std::nullopt, true}));
        }
        const QByteArray entry = R"({"data": [{"id": "m", "type": "embeddings",
            "state": "loading", "max_context_length": 2048}]})";
        QCOMPARE(decodeCapabilities(Provider::lmStudio, "m", entry).value(),
                 ModelCapabilities({std::nullopt, 2048, std::nullopt, std::nullopt, true}));
        QVERIFY(!decodeCapabilities(Provider::lmStudio, "m", "{}").ok());
        QVERIFY(!decodeCapabilities(Provider::ollama, "m", "<html>").ok());
    }

    void warmingUpAsksEachServerToLoad()
    {
        FakeModelHttpServer ollama(Provider::ollama);
        HttpModelServer toOllama = clientFor(ollama);
        toOllama.warmUp(Provider::ollama, QStringLiteral("m"), 8192);
        QTRY_COMPARE(ollama.loads.size(), 1);
        QCOMPARE(ollama.received.last().path, QStringLiteral("/api/generate"));
        QCOMPARE(ollama.received.last().json(),
                 QJsonObject({{"model", "m"},
                              {"keep_alive", "30m"},
                              {"options", QJsonObject{{"num_ctx", 8192}}}}));

        FakeModelHttpServer lmStudio(Provider::lmStudio);
        HttpModelServer toLmStudio = clientFor(lmStudio);
        toLmStudio.warmUp(Provider::lmStudio, QStringLiteral("m"), 8192);
        QTRY_COMPARE(lmStudio.loads.size(), 1);
        QCOMPARE(lmStudio.received.last().path, QStringLiteral("/api/v1/models/load"));
        QCOMPARE(lmStudio.received.last().json(),
                 QJsonObject({{"model", "m"}, {"context_length", 8192}}));

        // Quitting while a load is under way ends the request with the client.
        FakeModelHttpServer loading(Provider::ollama);
        loading.behaviour = FakeModelHttpServer::Behaviour::neverAnswer;
        auto client = std::make_unique<HttpModelServer>(
            QMap<Provider, quint16>{{Provider::ollama, loading.port()}},
            HttpModelServer::Timeouts{});
        client->warmUp(Provider::ollama, QStringLiteral("m"), 8192);
        QTRY_COMPARE(loading.received.size(), 1);
        client.reset();
        QTest::qWait(50);
    }

    void replyExtractionFollowsEachDialect()
    {
        const QByteArray ollamaShape = R"({"message": {"content": "x"}})";
        QCOMPARE(ModelServerWire::decodeChatReply(Provider::ollama, ollamaShape).value().text,
                 QStringLiteral("x"));
        QCOMPARE(ModelServerWire::decodeChatReply(Provider::lmStudio, ollamaShape).value().text,
                 QString());
        QCOMPARE(
            ModelServerWire::decodeChatReply(Provider::lmStudio, R"({"choices": []})").value().text,
            QString());
        QCOMPARE(ModelServerWire::decodeChatReply(Provider::lmStudio,
                                                  R"({"choices": [{"message": {"content": 5}}]})")
                     .value()
                     .text,
                 QString());
        QCOMPARE(ModelServerWire::decodeChatReply(Provider::ollama, "[1, 2]").value().text,
                 QString());
        QVERIFY(!ModelServerWire::decodeChatReply(Provider::ollama, "<html>").ok());
    }

    void httpErrorsCarryStatusAndTheStartOfTheBody()
    {
        FakeModelHttpServer server(Provider::ollama);
        HttpModelServer client = clientFor(server);
        server.status = 500;
        server.rawChatBody = " ";
        Result<QString> result = ask(client, Provider::ollama);
        QCOMPARE(result.failure().description, QStringLiteral("HTTP 500  "));
        QCOMPARE(result.failure().domain, QStringLiteral("LLM"));
        QCOMPARE(result.failure().code, 500);

        server.status = 404;
        server.rawChatBody = QString(300, u'\u00E9').toUtf8();
        result = ask(client, Provider::ollama);
        QCOMPARE(result.failure().description,
                 QStringLiteral("HTTP 404 ") + QString(120, u'\u00E9'));

        server.rawChatBody = "\xff\xfe not text";
        QCOMPARE(ask(client, Provider::ollama).failure().description, QStringLiteral("HTTP 404 "));
        QCOMPARE(ModelServerWire::httpFailure(500, {}).description, QStringLiteral("HTTP 500 "));
    }

    void listingSortsAndFilters()
    {
        FakeModelHttpServer ollama(Provider::ollama);
        ollama.models = {"b-model", "A-model", "a-model", "nomic-embed-text"};
        HttpModelServer client = clientFor(ollama);
        QCOMPARE(awaitTask(client.listModels(Provider::ollama)).value(),
                 QStringList({"A-model", "a-model", "b-model", "nomic-embed-text"}));
        QCOMPARE(ollama.received.first().path, QStringLiteral("/api/tags"));
        QCOMPARE(ollama.received.first().method, QByteArray("GET"));

        FakeModelHttpServer lmStudio(Provider::lmStudio);
        lmStudio.models = {"text-embedding-nomic-embed-text-v1.5", "qwen2.5-vl-7b-instruct",
                           "Some-EMBED-model"};
        HttpModelServer lmClient = clientFor(lmStudio);
        QCOMPARE(awaitTask(lmClient.listModels(Provider::lmStudio)).value(),
                 QStringList{"qwen2.5-vl-7b-instruct"});
        QCOMPARE(lmStudio.received.first().path, QStringLiteral("/v1/models"));
    }

    void listingBodies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("empty object") << QByteArray("{}") << true << QStringList{};
        QTest::newRow("not an object") << QByteArray("[1]") << true << QStringList{};
        QTest::newRow("models not an array")
            << QByteArray(R"({"models": {}})") << true << QStringList{};
        QTest::newRow("one entry not an object")
            << QByteArray(R"({"models": [{"name": "a"}, 3]})") << true << QStringList{};
        QTest::newRow("entries without a string name")
            << QByteArray(R"({"models": [{"name": 1}, {"model": "x"}, {"name": ""}]})") << true
            << QStringList{""};
        QTest::newRow("not json") << QByteArray("404 page not found") << false << QStringList{};
        // A name no model has is dropped; the readable ones stay.
        const QString marks = QStringLiteral("x") + QString(100'000, QChar(0x0301));
        QTest::newRow("unreadable names beside good ones")
            << QJsonDocument(
                   QJsonObject{{"models", QJsonArray{QJsonObject{{"name", "good"}},
                                                     QJsonObject{{"name", marks}},
                                                     QJsonObject{{"name", "bell\a"}},
                                                     QJsonObject{{"name", QString(300, u'n')}},
                                                     QJsonObject{{"name", "also-good"}}}}})
                   .toJson()
            << true << QStringList{"also-good", "good"};
    }

    void listingBodies()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, ok);
        QFETCH(QStringList, names);
        const Result<QStringList> listed = ModelServerWire::decodeModelList(Provider::ollama, body);
        QCOMPARE(listed.ok(), ok);
        if (ok)
            QCOMPARE(listed.value(), names);
    }

    void listingIgnoresTheStatus()
    {
        FakeModelHttpServer server(Provider::ollama);
        server.status = 404;
        server.rawListingBody = R"({"error": "not found"})";
        HttpModelServer client = clientFor(server);
        const Result<QStringList> listed = awaitTask(client.listModels(Provider::ollama));
        QVERIFY(listed.ok());
        QVERIFY(listed.value().isEmpty());
    }

    void visionNames()
    {
        for (const char* name : {"llama3.2-vision:11b", "qwen2.5vl:7b", "gemma3:4b", "LLaVA:13b",
                                 "bakllava", "qwen2.5-vl-7b-instruct", "x:latest-vl"})
            QVERIFY2(LLMClient::isVision(QString::fromLatin1(name)), name);
        for (const char* name : {"llama3.2:3b", "", "mistral"})
            QVERIFY2(!LLMClient::isVision(QString::fromLatin1(name)), name);
    }

    void refusedConnectionIsAReadableFailure()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 closedPort = probe.serverPort();
        probe.close();
        HttpModelServer client({{Provider::ollama, closedPort}}, {});
        const Result<QString> result = ask(client, Provider::ollama);
        QCOMPARE(result.failure().description, QStringLiteral("Connection refused"));
        QVERIFY(!awaitTask(client.listModels(Provider::ollama)).ok());
    }

    void silentServerEndsTheListingInTime()
    {
        FakeModelHttpServer server(Provider::ollama);
        server.behaviour = FakeModelHttpServer::Behaviour::neverAnswer;
        HttpModelServer client = clientFor(server);
        QElapsedTimer clock;
        clock.start();
        const Result<QStringList> listed = awaitTask(client.listModels(Provider::ollama));
        qInfo("listing against a silent server failed after %lld ms", clock.elapsed());
        QCOMPARE(listed.failure().description,
                 QStringLiteral("Ollama at 127.0.0.1:%1 did not answer within 2.5 seconds")
                     .arg(server.port()));
    }

    void aTrickleIsNoProgress_data()
    {
        QTest::addColumn<QByteArray>("opening");
        QTest::addColumn<QByteArray>("drip");
        QTest::newRow("a byte at a time")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n{") << QByteArray(" ");
        QTest::newRow("a chunk at a time")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n")
            << QByteArray("1\r\n \r\n");
        QTest::newRow("headers without end")
            << QByteArray("HTTP/1.1 200 OK\r\n") << QByteArray("X-A: b\r\n");
    }

    void aTrickleIsNoProgress()
    {
        // Bytes keep coming well within the idle limit, yet the answer never advances: the
        // request ends at the idle limit, long before the whole request's.
        QFETCH(QByteArray, opening);
        QFETCH(QByteArray, drip);
        ScriptedServer server(opening, drip, 20);
        HttpModelServer client({{Provider::ollama, server.port()}}, {500ms, 400ms, 60'000ms});
        QElapsedTimer clock;
        clock.start();
        const QString failure = ask(client, Provider::ollama).failure().description;
        QVERIFY2(failure.endsWith(QStringLiteral(" did not answer within 0.4 seconds")),
                 qPrintable(failure));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(server.dripped > 0);
        QTRY_COMPARE(server.hangUps, 1);
    }

    void interimAnswersArePassedOverAndOtherStatusesSaid()
    {
        const QByteArray answer = "{\"message\": {\"content\": \"{\\\"id\\\": 1}\"}}";
        ScriptedServer early(
            "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: x\r\n\r\n"
            "HTTP/1.1 200 OK\r\nContent-Length: " +
            QByteArray::number(answer.size()) + "\r\n\r\n" + answer);
        HttpModelServer toEarly({{Provider::ollama, early.port()}}, {});
        QCOMPARE(ask(toEarly, Provider::ollama).value(), QStringLiteral("{\"id\": 1}"));

        ScriptedServer moved("HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\n"
                             "Content-Length: 9\r\n\r\n<a>gone</a>");
        HttpModelServer toMoved({{Provider::ollama, moved.port()}}, {});
        const Result<QString> redirected = ask(toMoved, Provider::ollama);
        QCOMPARE(redirected.failure().description, QStringLiteral("HTTP 302 <a>gone</"));
        QCOMPARE(redirected.failure().code, 302);

        // Interim answers without end are no answer: the panel is not kept busy taking them.
        ScriptedServer endless(QByteArray("HTTP/1.1 100 Continue\r\n\r\n").repeated(5000));
        HttpModelServer toEndless({{Provider::ollama, endless.port()}}, {});
        QVERIFY(
            ask(toEndless, Provider::ollama)
                .failure()
                .description.endsWith(QStringLiteral(" answered with something that is not HTTP")));

        ScriptedServer switching("HTTP/1.1 101 Switching Protocols\r\nUpgrade: x\r\n\r\n");
        HttpModelServer toSwitching({{Provider::ollama, switching.port()}}, {});
        QCOMPARE(ask(toSwitching, Provider::ollama).failure().description,
                 QStringLiteral("Ollama at 127.0.0.1:%1 answered with something that is not HTTP")
                     .arg(switching.port()));
    }

    void aChunkTooLargeIsRefusedAtItsSizeLine_data()
    {
        QTest::addColumn<QByteArray>("size");
        QTest::newRow("just over the cap") << QByteArray::number(1024 * 1024 + 1, 16);
        QTest::newRow("near the largest number") << QByteArray("7fffffffffffffff");
    }

    void aChunkTooLargeIsRefusedAtItsSizeLine()
    {
        QFETCH(QByteArray, size);
        ScriptedServer server("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + size +
                                  "\r\n",
                              QByteArray(1024, 'x'), 10);
        HttpModelServer client({{Provider::ollama, server.port()}}, {});
        QCOMPARE(ask(client, Provider::ollama).failure().description,
                 QStringLiteral("Ollama at 127.0.0.1:%1 sent an answer larger than 1 MiB")
                     .arg(server.port()));
        QVERIFY2(server.dripped < 64 * 1024, qPrintable(QString::number(server.dripped)));
    }

    // The answer is heard as the model writes it, on both servers, and read whole at the end
    // with the prompt tokens the server counted.
    void aStreamIsHeardAsItComes()
    {
        for (Provider provider : Providers::allCases) {
            FakeModelHttpServer server(provider);
            server.replyContent = QStringLiteral("{\"id\": 1, \"explanation\": \"Open File.\"}");
            server.pieceDelay = 5ms;
            server.defaultContext = 4096;
            HttpModelServer client = clientFor(server);
            const ChatRequest request{
                provider,     QStringLiteral("m"), QStringLiteral("sys"), QStringLiteral("usr"),
                std::nullopt, std::nullopt};
            QStringList heard;
            const Result<ChatAnswer> answer = awaitTask(client.ask(
                request, Cancellation(), [&](const QString& text) { heard.append(text); }));
            QCOMPARE(answer.value().text, server.replyContent);
            QVERIFY(answer.value().promptTokens.has_value());
            QVERIFY2(heard.size() > 3, qPrintable(heard.join(u'|')));
            QCOMPARE(heard.last(), server.replyContent);
            QVERIFY(server.replyContent.startsWith(heard.first()) &&
                    heard.first().size() < server.replyContent.size());
        }
    }

    // A stream that stops half way, or is cut off, ends as an answer that never came does.
    void aStreamThatStallsOrBreaksOff()
    {
        const QByteArray head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
        const QByteArray piece = "{\"message\":{\"content\":\"{\\\"id\\\": 1,\"},\"done\":false}\n";
        const QByteArray firstPiece =
            QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
        ScriptedServer stalling(head + firstPiece);
        HttpModelServer toStalling({{Provider::ollama, stalling.port()}}, {500ms, 300ms, 60'000ms});
        QStringList heard;
        const ChatRequest request{Provider::ollama,    QStringLiteral("m"), QStringLiteral("s"),
                                  QStringLiteral("u"), std::nullopt,        std::nullopt};
        const Result<ChatAnswer> stalled = awaitTask(toStalling.ask(
            request, Cancellation(), [&](const QString& text) { heard.append(text); }));
        QVERIFY2(stalled.failure().description.endsWith(" did not answer within 0.3 seconds"),
                 qPrintable(stalled.failure().description));
        QCOMPARE(heard, QStringList{QStringLiteral("{\"id\": 1,")});

        ScriptedServer breaking(head + firstPiece);
        breaking.hangUpAfterOpening = true;
        HttpModelServer toBreaking({{Provider::ollama, breaking.port()}}, {});
        QCOMPARE(
            ask(toBreaking, Provider::ollama).failure().description,
            QStringLiteral("Ollama at 127.0.0.1:%1 closed the connection before it had answered")
                .arg(breaking.port()));

        // Read until the connection closes, the stream still says when it was not done.
        ScriptedServer unframed("HTTP/1.1 200 OK\r\n\r\n" + piece);
        unframed.hangUpAfterOpening = true;
        HttpModelServer toUnframed({{Provider::ollama, unframed.port()}}, {});
        QCOMPARE(
            ask(toUnframed, Provider::ollama).failure().description,
            QStringLiteral("Ollama at 127.0.0.1:%1 closed the connection before it had answered")
                .arg(unframed.port()));
    }

    void aCancelledRequestEndsAtOnceAndHangsUp()
    {
        FakeModelHttpServer server(Provider::ollama);
        server.behaviour = FakeModelHttpServer::Behaviour::neverAnswer;
        HttpModelServer client = clientFor(server);
        Cancellation cancellation;
        const ChatRequest request{Provider::ollama,    QStringLiteral("m"), QStringLiteral("s"),
                                  QStringLiteral("u"), std::nullopt,        std::nullopt};
        std::optional<Result<ChatAnswer>> answer;
        askInto(client, request, cancellation, answer);
        QTRY_COMPARE(server.received.size(), 1);
        QElapsedTimer clock;
        clock.start();
        cancellation.cancel();
        QTRY_VERIFY(answer.has_value());
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(answer->failure().domain, HttpExchange::cancelledDomain);
        // A request cancelled before it left is never sent.
        QVERIFY(!awaitTask(client.ask(request, cancellation, {})).ok());
        QTest::qWait(100);
        QCOMPARE(server.received.size(), 1);
    }

    void hostileServersEndWithAClearDescription()
    {
        FakeModelHttpServer server(Provider::ollama);
        HttpModelServer client = clientFor(server, {500ms, 500ms, 2000ms});

        const QString name = QStringLiteral("Ollama at 127.0.0.1:%1").arg(server.port());
        server.behaviour = FakeModelHttpServer::Behaviour::stallAfterHeaders;
        QCOMPARE(ask(client, Provider::ollama).failure().description,
                 name + QStringLiteral(" did not answer within 0.5 seconds"));
        QCOMPARE(awaitTask(client.listModels(Provider::ollama)).failure().description,
                 name + QStringLiteral(" did not answer within 0.5 seconds"));

        server.behaviour = FakeModelHttpServer::Behaviour::hugeBody;
        QCOMPARE(ask(client, Provider::ollama).failure().description,
                 name + QStringLiteral(" sent an answer larger than 1 MiB"));

        server.behaviour = FakeModelHttpServer::Behaviour::normal;
        server.rawChatBody = "{\"message\": {\"content\": \"trunc";
        QVERIFY(
            ask(client, Provider::ollama)
                .failure()
                .description.startsWith(QStringLiteral("The server's answer is not valid JSON")));
    }

    void endlessBodiesAreCutOffAtTheCapAsTheyArrive_data()
    {
        QTest::addColumn<bool>("chunked");
        QTest::newRow("chunked") << true;
        QTest::newRow("until the connection closes") << false;
    }

    void endlessBodiesAreCutOffAtTheCapAsTheyArrive()
    {
        // 64 MiB without a length given in advance, written as fast as the client reads.
        // The server has a thread of its own, as a real one has a process.
        QFETCH(bool, chunked);
        QThread serving;
        auto* flood = new FloodServer(chunked, 64 * 1024 * 1024);
        flood->moveToThread(&serving);
        connect(&serving, &QThread::finished, flood, &QObject::deleteLater);
        serving.start();
        HttpModelServer client({{Provider::ollama, flood->port()}}, {});
        QVERIFY(ask(client, Provider::ollama)
                    .failure()
                    .description.endsWith(QStringLiteral(" sent an answer larger than 1 MiB")));
        QTRY_VERIFY(flood->disconnected);
        // The client stopped reading near the cap: the server could not send it all.
        const qint64 written = flood->written;
        serving.quit();
        serving.wait();
        QVERIFY2(written < 16 * 1024 * 1024, qPrintable(QString::number(written)));
    }

    void addressesOtherThanThisComputerAreNeverContacted()
    {
        const Failure refusal(QStringLiteral("not here"), ModelServerPort::refusedAddress);
        std::map<Provider, Result<QUrl>> addresses = HttpModelServer::onLoopback({});
        addresses.insert_or_assign(Provider::ollama, refusal);
        HttpModelServer client(addresses, {});
        const Result<QStringList> listed = awaitTask(client.listModels(Provider::ollama));
        QCOMPARE(listed.failure().description, refusal.description);
        QCOMPARE(listed.failure().domain, ModelServerPort::refusedAddress);
        QCOMPARE(ask(client, Provider::ollama).failure().description, refusal.description);
    }

    void ollamaHostIsReadAsOllamaReadsIt_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("address"); // empty: refused
        QTest::newRow("unset") << ""
                               << "http://127.0.0.1:11434";
        QTest::newRow("host") << "localhost"
                              << "http://localhost:11434";
        QTest::newRow("host and port") << " 127.0.0.1:8080 "
                                       << "http://127.0.0.1:8080";
        QTest::newRow("URL with a path") << "http://localhost:9000/ollama"
                                         << "http://localhost:9000/ollama";
        QTest::newRow("https takes 443") << "https://localhost"
                                         << "https://localhost:443";
        QTest::newRow("IPv6") << "[::1]:7000"
                              << "http://[::1]:7000";
        QTest::newRow("listen-everywhere means here") << "0.0.0.0:11435"
                                                      << "http://127.0.0.1:11435";
        QTest::newRow("a port too large") << "localhost:99999"
                                          << "";
        QTest::newRow("a port with more after it") << "127.0.0.1:11500@x"
                                                   << "";
        QTest::newRow("port zero") << "127.0.0.1:0"
                                   << "";
        QTest::newRow("a signed port") << "127.0.0.1:+80"
                                       << "";
        QTest::newRow("another computer") << "192.168.1.20:11434"
                                          << "";
        QTest::newRow("a name elsewhere") << "http://ollama.example.com"
                                          << "";
        QTest::newRow("a loopback look-alike") << "127.0.0.1.example.com"
                                               << "";
        QTest::newRow("not a URL scheme we speak") << "ftp://localhost"
                                                   << "";
    }

    void ollamaHostIsReadAsOllamaReadsIt()
    {
        QFETCH(QString, variable);
        QFETCH(QString, address);
        const Result<QUrl> url = OllamaHost::baseUrl(variable);
        if (address.isEmpty()) {
            QVERIFY(!url);
            QCOMPARE(url.failure().domain, ModelServerPort::refusedAddress);
            QVERIFY(url.failure().description.startsWith(QStringLiteral("OLLAMA_HOST")));
        } else {
            QCOMPARE(url.value().toString(), address);
        }
    }

    void imagesAreScaledToTheMaximumWidth()
    {
        QCOMPARE(ImageEncoding::scaledSize({3136, 1960}, 1568), QSize(1568, 980));
        QCOMPARE(ImageEncoding::scaledSize({1568, 2000}, 1568), QSize(1568, 2000));
        QCOMPARE(ImageEncoding::scaledSize({5000, 1}, 1568), QSize(1568, 1));

        QImage capture(3136, 1960, QImage::Format_ARGB32);
        capture.fill(QColor(255, 128, 0, 40));
        const std::optional<QString> jpeg = ImageEncoding::jpegBase64(capture, 1568);
        QVERIFY(jpeg);
        QImage decoded;
        QVERIFY(decoded.loadFromData(QByteArray::fromBase64(jpeg->toLatin1()), "JPEG"));
        QCOMPARE(decoded.size(), QSize(1568, 980));
        QVERIFY(!decoded.hasAlphaChannel());
        QVERIFY(!ImageEncoding::jpegBase64(QImage(), 1568));
    }
};

QTEST_GUILESS_MAIN(ModelServerWireTest)
#include "ModelServerWireTest.moc"
