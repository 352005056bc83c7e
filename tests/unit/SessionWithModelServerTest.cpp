// Whole steps from an element list to a recorded, highlighted step against fake Ollama and
// LM Studio servers speaking the real wire formats.
#include "FakeModelHttpServer.h"
#include "SessionRig.h"
#include "core/Texts.h"
#include "model_client/HttpModelServer.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(Provider)

namespace {

// Answers with the id that the prompt gives the element titled `title`.
std::function<QString(const QJsonObject&)> answerWithIdOf(const QString& title)
{
    return [title](const QJsonObject& request) {
        const QJsonValue content = request["messages"].toArray()[1].toObject()["content"];
        const QString prompt = content.isString()
                                   ? content.toString()
                                   : content.toArray()[0].toObject()["text"].toString();
        const QRegularExpression line(QStringLiteral("^(\\d+) \\| [^|]+ \\| ") +
                                          QRegularExpression::escape(title) +
                                          QStringLiteral(" \\|"),
                                      QRegularExpression::MultilineOption);
        const QString id = line.match(prompt).captured(1);
        return QStringLiteral("Here you go:\n{\"id\": %1, \"explanation\": \"Open the %2 menu.\"}")
            .arg(id, title);
    };
}

} // namespace

class SessionWithModelServerTest : public QObject
{
    Q_OBJECT

private slots:
    void stepRecordsTheElementTheServerNames_data()
    {
        QTest::addColumn<Provider>("provider");
        QTest::addColumn<QString>("model");
        QTest::newRow("Ollama") << Provider::ollama << "llama3.2-vision:11b";
        QTest::newRow("LM Studio") << Provider::lmStudio << "qwen2.5-vl-7b-instruct";
    }

    void stepRecordsTheElementTheServerNames()
    {
        QFETCH(Provider, provider);
        QFETCH(QString, model);
        FakeModelHttpServer server(provider);
        server.models = {QStringLiteral("a-text-model"), model};
        server.answer = answerWithIdOf(QStringLiteral("File"));
        HttpModelServer client({{provider, server.port()}}, {});

        SessionRig rig;
        rig.settings.setValue(QStringLiteral("provider"), Providers::rawValue(provider));
        GuideModel& guide = rig.start(&client);
        QTRY_COMPARE(guide.serverState(), ServerState::running);
        QCOMPARE(guide.selectedModel(), model); // the vision model is preferred

        guide.setGoal(QStringLiteral("open a file"));
        guide.submit();
        QTRY_COMPARE(guide.steps().size(), 1);
        QCOMPARE(rig.statuses,
                 QStringList({QStringLiteral("Reading Mousepad\u2026"), Texts::readingTextOnScreen,
                              Texts::asking(model), QStringLiteral("Step 1 ready.")}));
        QCOMPARE(guide.steps().first().label, QStringLiteral("menu bar item \u201CFile\u201D"));
        QCOMPARE(guide.steps().first().explanation, QStringLiteral("Open the File menu."));
        QCOMPARE(rig.overlay.shown.last().frame, QRectF(100, 60, 40, 20));
        const QJsonObject sent = server.received.last().json();
        QCOMPARE(sent["model"].toString(), model);
    }

    void failingServerLeavesTheSessionUsable()
    {
        FakeModelHttpServer server(Provider::ollama);
        server.models = {QStringLiteral("llama3.2:3b")};
        HttpModelServer client({{Provider::ollama, server.port()}}, {});
        SessionRig rig;
        GuideModel& guide = rig.start(&client);
        QTRY_COMPARE(guide.serverState(), ServerState::running);

        server.status = 500;
        server.rawChatBody = "model crashed";
        guide.setGoal(QStringLiteral("open a file"));
        guide.submit();
        QTRY_VERIFY(!guide.isBusy() && guide.serverState() == ServerState::down);
        QCOMPARE(guide.status(), Texts::requestFailed(QStringLiteral("HTTP 500 model crashed")));
        QVERIFY(!guide.elements().isEmpty());

        // The server recovers; the next step finds it again without the user doing anything.
        server.status = 200;
        server.rawChatBody.clear();
        server.replyContent = QStringLiteral("{\"id\": 1, \"explanation\": \"Click File.\"}");
        guide.nextStep();
        QTRY_COMPARE(guide.status(), QStringLiteral("Step 1 ready."));
        QCOMPARE(guide.serverState(), ServerState::running);
    }
};

QTEST_GUILESS_MAIN(SessionWithModelServerTest)
#include "SessionWithModelServerTest.moc"
