// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

/// Ollama as a benchmark meets it: lists one vision model, describes it, loads it, and answers
/// chat requests after the time a 7-8B vision model at 4-bit takes on the chosen hardware: the
/// prompt tokens it has not computed before, the picture, then each generated token, streamed
/// as Ollama streams them. Like the real server it keeps the last request's computed prefix,
/// so a request that starts as the one before it only pays for the rest.
class ModelServerStandIn : public QObject
{
public:
    /// Throughput of a 7-8B model at 4-bit with a CLIP-class picture encoder.
    struct Profile
    {
        const char* name;
        double promptTokensPerSecond;
        double generatedTokensPerSecond;
        /// Encoding one picture, before its tokens are read as prompt.
        double imageEncodeMs;
        int tokensPerImage;
    };
    static const Profile laptopGpu;
    static const Profile cpuOnly;

    /// What one chat request cost.
    struct Served
    {
        qint64 promptTokens = 0;
        qint64 cachedTokens = 0;
        double promptMs = 0;
    };

    /// `answer` gives the reply's text for a request.
    ModelServerStandIn(Profile profile, std::function<QString(const QJsonObject&)> answer);

    quint16 port() const { return m_server.serverPort(); }
    /// The model name it lists: a vision model, or with `vision` off a model of text alone.
    QString modelName() const;

    /// Off, every request is read from its start and answered in one piece when it is whole:
    /// what a client that neither streams nor keeps its prompt's start steady gets.
    bool streams = true;
    bool keepsPrefix = true;
    bool vision = true;
    QList<Served> served;

private:
    void readRequest(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& path, const QJsonObject& request);
    void answerChat(QTcpSocket* socket, const QJsonObject& request);
    /// The request as the model reads it, in the order it reads it.
    static QByteArray promptOf(const QJsonObject& request);

    Profile m_profile;
    std::function<QString(const QJsonObject&)> m_answer;
    QTcpServer m_server;
    QByteArray m_lastPrompt;
};
