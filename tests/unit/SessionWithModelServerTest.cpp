// SPDX-License-Identifier: GPL-3.0-or-later
// Whole steps from an element list to a recorded, highlighted step against fake Ollama and
// LM Studio servers speaking the real wire formats.
#include "AwaitTask.h"
#include "FakeModelHttpServer.h"
#include "SessionRig.h"
#include "core/Texts.h"
#include "model_client/HttpModelServer.h"
#include "model_client/LLMClient.h"
#include "model_client/PromptBudget.h"
#include "session/ElementMerging.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

Q_DECLARE_METATYPE(Provider)

namespace {

using Fake = FakeModelHttpServer;

// A model that finds the element only when it saw its instructions and the goal; without them
// it names the first element it can see, as a model left guessing does.
std::function<QString(const QJsonObject&)> answerWhenInstructed(const QString& title)
{
    return [title](const QJsonObject& request) {
        const QString system = request["messages"].toArray()[0].toObject()["content"].toString();
        const QString prompt = Fake::promptOf(request);
        if (system.startsWith(LLMClient::systemPrompt()) &&
            system.contains(QStringLiteral("Goal: ")))
            return Fake::naming(title)(request);
        const QString first =
            QRegularExpression(QStringLiteral("^(\\d+) \\|"), QRegularExpression::MultilineOption)
                .match(prompt)
                .captured(1);
        return QStringLiteral("{\"id\": %1, \"explanation\": \"Click this.\"}").arg(first);
    };
}

// Fills the rig's window with buttons, `count` elements in all with the menu bar's.
void fillWindow(SessionRig& rig, int count)
{
    QList<AXNode> cells;
    for (int i = 0; i < count - 2; ++i) {
        AXNodeAttributes button;
        button.role = QStringLiteral("AXButton");
        button.title = QStringLiteral("Cell %1 of the price table").arg(i);
        button.frame = QRectF(110 + (i % 20) * 38, 160 + (i / 20) * 28, 36, 24);
        cells.append(rig.accessibility.add(QStringLiteral("/win/cell%1").arg(i), button));
    }
    rig.accessibility.nodes[QStringLiteral("/win")].children += cells;
}

// A fake server of one kind, the real HTTP client to it, and a rig whose model uses them.
struct Served
{
    explicit Served(Provider provider) : server(provider), client({{provider, server.port()}}, {})
    {
    }
    FakeModelHttpServer server;
    HttpModelServer client;
    SessionRig rig;

    /// Lists `model` alone, described by `card`.
    void serve(const QString& model, Fake::Card card)
    {
        server.models = {model};
        server.cards.insert(model, card);
    }

    GuideModel& start()
    {
        rig.settings.setValue(QStringLiteral("provider"), Providers::rawValue(server.provider()));
        return rig.start(&client);
    }

    /// Whether the started model found the server running and chose a model (which follows
    /// the server's answer about capabilities).
    bool ready()
    {
        return QTest::qWaitFor([this] {
            return rig.model->serverState() == ServerState::running &&
                   !rig.model->selectedModel().isEmpty();
        });
    }
};

// The context a chat request asked the server for.
qint64 contextAsked(const FakeModelHttpServer::Received& request)
{
    return request.json()["options"].toObject()["num_ctx"].toInteger();
}

QList<FakeModelHttpServer::Received> requestsTo(const FakeModelHttpServer& server,
                                                const QString& path)
{
    QList<FakeModelHttpServer::Received> found;
    for (const FakeModelHttpServer::Received& r : server.received) {
        if (r.path == path)
            found.append(r);
    }
    return found;
}

// An Ollama that lists one model and then takes chat requests without ever answering them;
// it counts the chat connections the client closed.
class SilentChatServer : public QObject
{
public:
    SilentChatServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
    }

    quint16 port() const { return m_server.serverPort(); }
    int chatsOpen = 0;
    int chatsClosedByClient = 0;

private:
    void answer(QTcpSocket* socket)
    {
        const QByteArray request = socket->readAll();
        if (socket->property("seen").toBool())
            return;
        socket->setProperty("seen", true);
        if (request.startsWith("POST /api/chat")) {
            ++chatsOpen;
            connect(socket, &QTcpSocket::disconnected, this, [this] { ++chatsClosedByClient; });
            return;
        }
        const QByteArray body = request.startsWith("GET /api/tags")
                                    ? QByteArray(R"({"models": [{"name": "llama3.2:3b"}]})")
                                    : QByteArray("{}");
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
};

} // namespace

class SessionWithModelServerTest : public QObject
{
    Q_OBJECT

private slots:
    void stopAndQuitEndTheRequestAtOnce()
    {
        // Against a server that never answers, Stop frees the session at once and closes the
        // connection, so the server stops working for nobody; quitting does the same.
        SilentChatServer server;
        HttpModelServer client({{Provider::ollama, server.port()}}, {});
        auto rig = std::make_unique<SessionRig>();
        GuideModel& guide = rig->start(&client);
        QTRY_COMPARE(guide.selectedModel(), QStringLiteral("llama3.2:3b"));
        guide.setGoal(QStringLiteral("open a file"));
        guide.submit();
        QTRY_VERIFY(guide.isWaitingForModel() && server.chatsOpen == 1);

        guide.stop();
        QVERIFY(!guide.isBusy());
        QCOMPARE(guide.status(), Texts::stopped());
        QTRY_COMPARE(server.chatsClosedByClient, 1);
        QCOMPARE(guide.serverState(), ServerState::running);

        guide.setGoal(QStringLiteral("open a file"));
        guide.submit();
        QTRY_COMPARE(server.chatsOpen, 2);
        rig.reset();
        QTRY_COMPARE(server.chatsClosedByClient, 2);
    }

    void imagesGoToTheModelsThatReadThem_data()
    {
        QTest::addColumn<Provider>("provider");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("described");
        QTest::addColumn<bool>("vision");
        QTest::newRow("Ollama says vision, the name does not")
            << Provider::ollama << "pixel-reader:7b" << true << true;
        QTest::newRow("Ollama says text, the name says vision")
            << Provider::ollama << "llava-text-only:7b" << true << false;
        QTest::newRow("Ollama does not describe it: the name decides")
            << Provider::ollama << "llava:7b" << false << true;
        QTest::newRow("LM Studio says vlm, the name does not")
            << Provider::lmStudio << "pixel-reader" << true << true;
        QTest::newRow("LM Studio says llm, the name says vision")
            << Provider::lmStudio << "qwen2-vl-text" << true << false;
    }

    void imagesGoToTheModelsThatReadThem()
    {
        QFETCH(Provider, provider);
        QFETCH(QString, model);
        QFETCH(bool, described);
        QFETCH(bool, vision);
        Served served(provider);
        FakeModelHttpServer& server = served.server;
        server.models = {QStringLiteral("plain-chat"), model};
        server.cards.insert(QStringLiteral("plain-chat"), {false, 32768, 16384});
        if (described)
            server.cards.insert(model, {vision, 32768, 16384});
        server.answer = Fake::naming(QStringLiteral("File"));
        GuideModel& guide = served.start();
        QVERIFY(served.ready());
        // With no model remembered, the first one that reads images is chosen.
        QTRY_COMPARE(guide.selectedModel(),
                     vision ? model : std::min(model, QStringLiteral("plain-chat")));

        guide.setSelectedModel(model);
        guide.setGoal(QStringLiteral("open a file"));
        guide.submit();
        QTRY_COMPARE(guide.status(), QStringLiteral("Step 1 ready."));
        const QString chat = provider == Provider::ollama ? QStringLiteral("/api/chat")
                                                          : QStringLiteral("/v1/chat/completions");
        const QJsonObject user = requestsTo(server, chat).last().json()["messages"][1].toObject();
        QCOMPARE(user.contains("images") || user["content"].isArray(), vision);
        QCOMPARE(requestsTo(server, chat).last().json()["model"].toString(), model);
    }

    void aLongWindowIsAnsweredWholeWhereItWasCutBefore()
    {
        Served served(Provider::ollama);
        FakeModelHttpServer& server = served.server;
        const QString model = QStringLiteral("qwen2.5:7b");
        served.serve(model, {false, 32768, std::nullopt});
        server.defaultContext = 4096;
        server.answer = answerWhenInstructed(QStringLiteral("File"));
        fillWindow(served.rig, 300);
        GuideModel& guide = served.start();
        QVERIFY(served.ready());

        guide.setGoal(QStringLiteral("open a file"));
        guide.submit();
        QTRY_COMPARE(guide.steps().size(), 1);
        QCOMPARE(guide.elements().size(), ElementMerging::maxAccessibilityElements);
        QCOMPARE(guide.status(), QStringLiteral("Step 1 ready."));
        QCOMPARE(guide.steps().first().label, QStringLiteral("menu bar item \u201CFile\u201D"));
        const QJsonObject sent = requestsTo(server, QStringLiteral("/api/chat")).last().json();
        QVERIFY(sent["options"].toObject()["num_ctx"].toInteger() > 4096);
        // A server that lists its models' capabilities holds the reply to the schema.
        QVERIFY(sent["format"].toObject()["properties"].toObject().contains("id"));
        QVERIFY(server.lastSeenPrompt.startsWith(LLMClient::systemPrompt()));

        // The same request without a context, as it went before: the server keeps to its 4,096
        // tokens, drops the instructions and the goal from the front, and the model guesses.
        const QString system = sent["messages"].toArray()[0].toObject()["content"].toString();
        const ChatRequest unsized{Provider::ollama,     model,        system,
                                  Fake::promptOf(sent), std::nullopt, std::nullopt};
        const Result<ChatAnswer> cut = awaitTask(served.client.ask(unsized, Cancellation(), {}));
        QCOMPARE(cut.value().promptTokens, 4096);
        QVERIFY(!server.lastSeenPrompt.contains(QStringLiteral("Goal: ")));
        const QString fileId = Fake::idOf(QStringLiteral("File"), Fake::promptOf(sent));
        QVERIFY(!fileId.isEmpty());
        QVERIFY(!cut.value().text.contains(QStringLiteral("\"id\": %1,").arg(fileId)));
    }

    void aSmallContextGetsAShortenedListThatKeepsGoalAndHistory()
    {
        Served served(Provider::ollama);
        FakeModelHttpServer& server = served.server;
        const QString model = QStringLiteral("tiny:1b");
        served.serve(model, {false, 4096, std::nullopt});
        server.defaultContext = 4096;
        // An element near the middle of the window, where the list is kept longest.
        server.answer = answerWhenInstructed(QStringLiteral("Cell 170 of the price table"));
        fillWindow(served.rig, 300);
        GuideModel& guide = served.start();
        QVERIFY(served.ready());

        guide.setGoal(QStringLiteral("press the middle cell"));
        guide.submit();
        QTRY_COMPARE(guide.steps().size(), 1);
        QCOMPARE(guide.steps().first().label,
                 QStringLiteral("button \u201CCell 170 of the price table\u201D"));
        const QRegularExpression told(QStringLiteral(
            "^Step 1 ready\\. Only (\\d+) of 200 elements fit the model's context; the rest were "
            "left out\\.$"));
        const qsizetype sent = told.match(guide.status()).captured(1).toLongLong();
        QVERIFY2(sent > 20 && sent < 200, qPrintable(guide.status()));
        QCOMPARE(contextAsked(requestsTo(server, QStringLiteral("/api/chat")).last()), 4096);

        guide.nextStep();
        QTRY_COMPARE(guide.steps().size(), 2);
        QVERIFY(server.lastSeenPrompt.startsWith(LLMClient::systemPrompt()));
        QVERIFY(server.lastSeenPrompt.contains(QStringLiteral("Goal: press the middle cell\n")));
        const Step first = guide.steps().first();
        QVERIFY(server.lastSeenPrompt.contains(
            QString::number(first.number) + QStringLiteral(". ") + first.label +
            QStringLiteral(" \u2014 ") + first.explanation + u'\n'));
    }

    void aPromptTheServerCutAnywayIsReported()
    {
        Served served(Provider::ollama);
        FakeModelHttpServer& server = served.server;
        const QString model = QStringLiteral("qwen2.5:7b");
        served.serve(model, {false, 32768, std::nullopt});
        server.defaultContext = 4096;
        server.bytesPerToken = 0.5; // a tokenizer worse than any real one, past the estimate
        server.answer = answerWhenInstructed(QStringLiteral("File"));
        fillWindow(served.rig, 150);
        GuideModel& guide = served.start();
        QVERIFY(served.ready());

        guide.setGoal(QStringLiteral("open a file"));
        guide.submit();
        QTRY_COMPARE(guide.steps().size(), 1);
        const qint64 asked = contextAsked(requestsTo(server, QStringLiteral("/api/chat")).last());
        QCOMPARE(guide.status(), Texts::stepReady(1) + Texts::promptCut(asked));
    }

    void theChosenModelIsLoadedOncePerPanelOpening()
    {
        Served served(Provider::ollama);
        FakeModelHttpServer& server = served.server;
        const QString model = QStringLiteral("qwen2.5:7b");
        served.serve(model, {false, 32768, std::nullopt});
        server.loadDelay = std::chrono::milliseconds(300);
        server.answer = Fake::naming(QStringLiteral("File"));
        GuideModel& guide = served.start();
        QVERIFY(served.ready());
        QVERIFY(requestsTo(server, QStringLiteral("/api/generate")).isEmpty());

        guide.setPanelOpen(true);
        QTRY_COMPARE(requestsTo(server, QStringLiteral("/api/generate")).size(), 1);
        const QJsonObject load = requestsTo(server, QStringLiteral("/api/generate")).first().json();
        QCOMPARE(load, QJsonObject({{"model", model},
                                    {"keep_alive", "30m"},
                                    {"options", QJsonObject{{"num_ctx", 8192}}}}));
        const qsizetype listings = requestsTo(server, QStringLiteral("/api/tags")).size();
        guide.refreshModels();
        QTRY_COMPARE(requestsTo(server, QStringLiteral("/api/tags")).size(), listings + 1);

        // The first step finds the model loaded with the context it asks for.
        guide.setGoal(QStringLiteral("open a file"));
        guide.submit();
        QTRY_COMPARE(guide.status(), QStringLiteral("Step 1 ready."));
        QCOMPARE(server.loads.size(), 1);
        QCOMPARE(requestsTo(server, QStringLiteral("/api/generate")).size(), 1);

        guide.setPanelOpen(false);
        guide.setPanelOpen(true);
        QTRY_COMPARE(requestsTo(server, QStringLiteral("/api/generate")).size(), 2);
    }

    void nothingIsLoadedOnAServerThatIsDown()
    {
        Served served(Provider::ollama);
        served.server.rawListingBody = "<html>busy</html>";
        GuideModel& guide = served.start();
        QTRY_COMPARE(guide.serverState(), ServerState::down);
        guide.setPanelOpen(true);
        QTRY_COMPARE(requestsTo(served.server, QStringLiteral("/api/tags")).size(), 2);
        QTest::qWait(100);
        QCOMPARE(served.server.received.size(), 2);
    }

    void lmStudioIsAskedToLoadOnlyAModelItHasNotLoaded()
    {
        Served served(Provider::lmStudio);
        FakeModelHttpServer& server = served.server;
        server.models = {QStringLiteral("resting"), QStringLiteral("ready")};
        server.cards.insert(QStringLiteral("resting"), {false, 32768, std::nullopt});
        server.cards.insert(QStringLiteral("ready"), {false, 32768, 16384});
        server.answer = Fake::naming(QStringLiteral("File"));
        GuideModel& guide = served.start();
        QVERIFY(served.ready());
        guide.setSelectedModel(QStringLiteral("resting"));
        QVERIFY(requestsTo(server, QStringLiteral("/api/v1/models/load")).isEmpty());

        guide.setPanelOpen(true);
        QTRY_COMPARE(requestsTo(server, QStringLiteral("/api/v1/models/load")).size(), 1);
        QCOMPARE(requestsTo(server, QStringLiteral("/api/v1/models/load")).first().json(),
                 QJsonObject({{"model", "resting"}, {"context_length", 8192}}));
        guide.setSelectedModel(QStringLiteral("ready"));
        const qsizetype described = requestsTo(server, QStringLiteral("/api/v0/models")).size();
        QTRY_VERIFY(requestsTo(server, QStringLiteral("/api/v0/models")).size() > described);
        QTest::qWait(100);
        QCOMPARE(requestsTo(server, QStringLiteral("/api/v1/models/load")).size(), 1);
        QCOMPARE(server.loads.size(), 1);
    }
};

QTEST_GUILESS_MAIN(SessionWithModelServerTest)
#include "SessionWithModelServerTest.moc"
