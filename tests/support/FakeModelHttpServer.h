#pragma once

#include "model_client/Provider.h"

#include <QByteArray>
#include <QHttpServer>
#include <QHttpServerResponder>
#include <QJsonObject>
#include <QList>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

/// An Ollama or LM Studio server on 127.0.0.1 that speaks the real wire format, answers from a
/// script and records every request it receives. Hostile behaviours exercise the client's
/// bounds.
class FakeModelHttpServer
{
public:
    enum class Behaviour
    {
        normal,
        /// Accepts the request and never writes anything.
        neverAnswer,
        /// Sends the status line and headers announcing a body, then nothing.
        stallAfterHeaders,
        /// Answers with a body larger than any reply the client accepts.
        hugeBody,
    };

    struct Received
    {
        QByteArray method;
        QString path;
        QByteArray contentType;
        QByteArray body;
        /// When it arrived, in milliseconds since the epoch.
        qint64 atMs = 0;
        QJsonObject json() const;
    };

    /// Listens on `port` of 127.0.0.1, or on a free one when `port` is 0.
    explicit FakeModelHttpServer(Provider provider, quint16 port = 0);
    ~FakeModelHttpServer();

    quint16 port() const { return m_port; }
    Provider provider() const { return m_provider; }

    QStringList models;
    /// The reply content for a chat request; computed from the request when set.
    QString replyContent;
    std::function<QString(const QJsonObject& request)> answer;
    /// Sent as it stands instead of a well-formed listing or chat body when not empty.
    QByteArray rawListingBody;
    QByteArray rawChatBody;
    int status = 200;
    Behaviour behaviour = Behaviour::normal;
    /// Chat answers wait this long, as a model thinking would.
    std::chrono::milliseconds chatDelay{0};
    QList<Received> received;

private:
    void handle(const QHttpServerRequest& request, QHttpServerResponder&& responder);
    QByteArray listingBody() const;
    QByteArray chatBody(const QJsonObject& request) const;

    Provider m_provider;
    QHttpServer m_server;
    quint16 m_port = 0;
    std::vector<std::unique_ptr<QHttpServerResponder>> m_held;
};
