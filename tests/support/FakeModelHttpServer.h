// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model_client/Provider.h"

#include <QByteArray>
#include <QHttpServer>
#include <QHttpServerResponder>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

/// An Ollama or LM Studio server on 127.0.0.1 that speaks the real wire format, answers from a
/// script and records every request it receives. Hostile behaviours exercise the client's
/// bounds. Like the real servers it describes its models, loads them (slowly if told to) and,
/// with a default context set, cuts a prompt longer than the context from the front without a
/// word, reporting how many prompt tokens it read.
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

    /// What the server says of one of its models.
    struct Card
    {
        bool vision = false;
        qint64 contextLength = 32768;
        /// LM Studio: loaded from the start, with this context.
        std::optional<qint64> loadedContext;
    };

    struct Load
    {
        QString model;
        qint64 context = 0;
    };

    /// The user message's text of a chat request body, with or without an image.
    static QString promptOf(const QJsonObject& request);
    /// The id a prompt gives the element titled `title`, or empty. A title may name the
    /// element as each version of an application calls it: "Primary menu|Main Menu".
    static QString idOf(const QString& title, const QString& prompt);
    /// Answers as a model that names the element titled `title` would.
    static std::function<QString(const QJsonObject&)> naming(const QString& title);
    /// Names each title in turn, one a request; then no element at all.
    static std::function<QString(const QJsonObject&)> namingInTurn(QStringList titles);

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
    /// A streamed answer's pieces come this far apart, as a model generating them would; the
    /// client must not hang up before the last.
    std::chrono::milliseconds pieceDelay{0};
    /// Models described on request; a model not here is unknown to the show endpoint and
    /// listed with no type by LM Studio.
    QMap<QString, Card> cards;
    /// When set, prompts are counted and cut to the context: the one a request asks for
    /// (Ollama) or the loaded one, else this.
    std::optional<qint64> defaultContext;
    /// The fake's tokenizer: this many bytes of text make a token.
    double bytesPerToken = 2.0;
    qint64 tokensPerImage = 1000;
    /// A request that makes the server load a model waits this long first.
    std::chrono::milliseconds loadDelay{0};
    QList<Received> received;
    QList<Load> loads;

    /// When the last chat request came, in ms since the epoch.
    std::optional<qint64> lastChatAtMs() const
    {
        for (auto r = received.rbegin(); r != received.rend(); ++r) {
            if (r->path == "/api/chat")
                return r->atMs;
        }
        return std::nullopt;
    }

    /// The system and user text the model saw of the last chat request, after any cut.
    QString lastSeenPrompt;

private:
    void handle(const QHttpServerRequest& request, QHttpServerResponder&& responder);
    void sendStream(QHttpServerResponder&& responder, QList<QByteArray> pieces,
                    std::chrono::milliseconds delay);
    QByteArray answerFor(const QString& path, const QJsonObject& request, bool& loaded);
    QByteArray listingBody() const;
    QByteArray lmStudioDescriptions() const;
    QByteArray showBody(const QJsonObject& request) const;
    /// Loads `model` with `context` unless it is loaded so; whether it loaded it.
    bool load(const QString& model, qint64 context);
    QByteArray chatBody(QJsonObject request);
    qint64 contextFor(const QJsonObject& request) const;
    /// LM Studio: the context a model is loaded with before any request.
    std::optional<qint64> preloaded(const QString& model) const;

    Provider m_provider;
    QHttpServer m_server;
    quint16 m_port = 0;
    std::vector<std::unique_ptr<QHttpServerResponder>> m_held;
    std::vector<std::shared_ptr<QHttpServerResponder>> m_delayed;
    QMap<QString, qint64> m_loaded;
};
