// SPDX-License-Identifier: GPL-3.0-or-later
// What the largest answers a model server may send cost the panel: a step against a fake
// Ollama whose explanation is as large as the chat answer may be (streamed in one piece, or in
// pieces of a few characters as a model writes it), or one letter carrying a hundred thousand
// combining marks. Prints, for each, the step's time, the
// longest the main thread went without running its events (what a person sees as a frozen panel),
// the peak memory of the process and what the session recorded. Needs no display.
#include "FakeModelHttpServer.h"
#include "SessionRig.h"
#include "model_client/HttpModelServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <cstdio>

namespace {

qint64 peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Ollama's stream of `content`, in pieces of `pieceCharacters`; made before the step is timed.
QByteArray streamed(const QString& content, qsizetype pieceCharacters)
{
    QByteArray body;
    for (qsizetype at = 0; at < content.size(); at += pieceCharacters) {
        body += R"({"model":"m","message":{"role":"assistant","content":)" +
                QJsonDocument(QJsonArray{content.mid(at, pieceCharacters)})
                    .toJson(QJsonDocument::Compact)
                    .mid(1)
                    .chopped(1) +
                R"(},"done":false})" + '\n';
    }
    return body + R"({"model":"m","message":{"role":"assistant","content":""},"done":true})" + '\n';
}

// Runs one step whose model answers with `explanation`, in pieces of `pieceCharacters`;
// prints what it cost.
void measure(const char* name, const QString& explanation, qsizetype pieceCharacters)
{
    FakeModelHttpServer server(Provider::ollama);
    server.models = {QStringLiteral("llama3.2:3b")};
    server.replyContent = QStringLiteral(R"({"id": 1, "explanation": "%1"})").arg(explanation);
    server.rawChatBody = streamed(server.replyContent, pieceCharacters);
    HttpModelServer client({{Provider::ollama, server.port()}}, {});
    SessionRig rig;
    GuideModel& model = rig.start(&client);
    while (model.selectedModel().isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    // A tick every 5 ms: the longest gap between two is the longest the panel stood still.
    QElapsedTimer sinceTick;
    qint64 longestGapMs = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout,
                     [&] { longestGapMs = std::max(longestGapMs, sinceTick.restart()); });
    ticks.start(5);
    sinceTick.start();
    QElapsedTimer step;
    step.start();
    model.setGoal(QStringLiteral("open a file"));
    model.submit();
    while (!(model.steps().size() == 1 || (!model.isBusy() && step.elapsed() > 100)))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const qint64 stepMs = step.elapsed();
    ticks.stop();
    const QString recorded =
        model.steps().isEmpty() ? model.status() : model.steps().first().explanation;
    std::printf("%-34s answer %7lld bytes: step %5lld ms, main thread still for at most %4lld ms, "
                "peak memory %6lld KiB, recorded %lld code units\n",
                name, qint64(server.rawChatBody.size()), stepMs, longestGapMs, peakResidentKiB(),
                qint64(recorded.size()));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Just under the cap of a chat answer, with the JSON around it.
    measure("explanation near the cap, one piece",
            QString(HttpModelServer::maxChatBodyBytes - 300, u'x'),
            HttpModelServer::maxChatBodyBytes);
    // Each piece of four characters takes some sixty bytes of JSON around it.
    measure("explanation near the cap, 4-char pieces",
            QString(HttpModelServer::maxChatBodyBytes / 19, u'x'), 4);
    measure("one letter, 120,000 marks", QStringLiteral("Z") + QString(120'000, QChar(0x0301)),
            4096);
    return 0;
}
