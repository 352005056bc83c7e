// SPDX-License-Identifier: GPL-3.0-or-later
// One question to the model on a scripted server, without a session: the request that fits,
// what each kind of reply comes to, and a failed request.
#include "session/StepAdvisor.h"
#include "AwaitTask.h"
#include "FakeModelServer.h"
#include "core/Texts.h"
#include "model_client/LLMClient.h"
#include "session/ModelDiscovery.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

GuideElement element(qint64 id, const QString& title)
{
    return {id,
            QStringLiteral("button"),
            title,
            QRectF(10 * id, 10, 30, 20),
            GuideElement::Source::accessibility,
            false};
}

const QList<GuideElement> listed{element(1, QStringLiteral("Open")),
                                 element(2, QStringLiteral("Save"))};

// A server that has one model, an advisor asking it, and the question of a first step.
struct Asking
{
    QTemporaryDir settingsDir;
    QSettings settings{settingsDir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat};
    FakeModelServer server;
    ModelDiscovery discovery{server, settings};
    QThreadPool workers;
    StepAdvisor advisor{server, discovery, workers};
    StepAdvisor::Question question;

    explicit Asking(const QString& model = QStringLiteral("llama3.2:3b"))
    {
        server.listings.insert_or_assign(Provider::ollama, QStringList{model});
        awaitTask([this]() -> QCoro::Task<bool> {
            co_await discovery.refresh();
            co_return true;
        }());
        question.goal = QStringLiteral("save it");
        question.elements = listed;
        question.window.frame = QRectF(0, 0, 400, 300);
        question.window.image = QImage(400, 300, QImage::Format_RGB32);
        question.window.image.fill(Qt::white);
        question.model = model;
    }

    Advice askWith(const Result<QString>& reply)
    {
        server.reply = reply;
        const Result<StepAdvisor::Prepared> prepared = awaitTask(advisor.prepare(question));
        return awaitTask(advisor.ask(prepared.value(), never, {}));
    }

    Cancellation never;
};

} // namespace

class StepAdvisorTest : public QObject
{
    Q_OBJECT

private slots:
    void repliesComeToWhatTheSessionShows_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<qint64>("element"); // 0: none
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<bool>("done");
        QTest::newRow("names a listed element")
            << R"({"id": 2, "explanation": "Click Save."})" << qint64(2) << "" << false;
        QTest::newRow("names nothing")
            << "I would click Save." << qint64(0) << Texts::replyNotUsable() << false;
        QTest::newRow("names an element that is gone")
            << R"({"id": 7, "explanation": "Click it."})" << qint64(0) << Texts::noListedElement()
            << false;
        QTest::newRow("done, silent")
            << R"({"id": null, "done": true})" << qint64(0) << Texts::goalComplete() << true;
        QTest::newRow("done, explained")
            << R"({"id": 2, "done": true, "explanation": "Saved already."})" << qint64(0)
            << "Saved already." << true;
    }

    void repliesComeToWhatTheSessionShows()
    {
        QFETCH(QString, reply);
        QFETCH(qint64, element);
        QFETCH(QString, outcome);
        QFETCH(bool, done);
        const Advice advice = StepAdvisor::read(reply, listed);
        QCOMPARE(advice.element ? advice.element->id : 0, element);
        QCOMPARE(advice.outcome, outcome);
        QCOMPARE(advice.done, done);
        QVERIFY(!advice.serverDown);
    }

    void theRequestCarriesTheQuestionAndTheReplyIsRead()
    {
        Asking asking;
        const Advice advice =
            asking.askWith(QStringLiteral(R"({"id": 1, "explanation": "Open it."})"));
        QCOMPARE(advice.element->title, QStringLiteral("Open"));
        QCOMPARE(advice.explanation, QStringLiteral("Open it."));
        QVERIFY(advice.note.isEmpty());
        const ChatRequest& sent = asking.server.asked.last();
        QVERIFY(sent.system.startsWith(LLMClient::systemPrompt()));
        QVERIFY(sent.system.endsWith(QStringLiteral("\nGoal: save it\n")));
        QVERIFY(sent.user.contains(QStringLiteral("2 | button | Save |")));
        QVERIFY(!sent.imageBase64); // a model that reads no images gets none
        QCOMPARE(sent.contextTokens, std::optional<qint64>(8192));
    }

    void aPromptThatCannotFitIsNotSent()
    {
        Asking asking;
        asking.question.goal = QString(200'000, u'g'); // more than the largest context
        const Result<StepAdvisor::Prepared> prepared =
            awaitTask(asking.advisor.prepare(asking.question));
        QVERIFY(!prepared);
        QVERIFY(prepared.failure().description.startsWith(
            QStringLiteral("The goal and the steps so far are too long")));
        QVERIFY(asking.server.asked.isEmpty());
    }
};

QTEST_GUILESS_MAIN(StepAdvisorTest)
#include "StepAdvisorTest.moc"
