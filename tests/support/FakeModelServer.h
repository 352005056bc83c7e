// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model_client/ModelServerPort.h"

#include <QMap>
#include <QObject>
#include <map>
#include <utility>

#include <QCoro/QCoroSignal>

/// Opens once: what a held request waits for.
class Gate : public QObject
{
    Q_OBJECT
public:
    void open()
    {
        if (std::exchange(m_open, true))
            return;
        emit opened();
    }

signals:
    void opened();

private:
    bool m_open = false;
};

/// A model server answering from a script. While `held` is set, requests wait until
/// `release()`, so tests can act in the middle of a step.
class FakeModelServer : public QObject, public ModelServerPort
{
    Q_OBJECT
public:
    struct WarmUp
    {
        Provider provider;
        QString model;
        qint64 contextTokens;
    };

    std::map<Provider, Result<QStringList>> listings{
        {Provider::ollama, Failure{QStringLiteral("Connection refused")}},
        {Provider::lmStudio, Failure{QStringLiteral("Connection refused")}}};
    /// What each model can do; a model not here is not described.
    QMap<QString, ModelCapabilities> described;
    Result<QString> reply = QString();
    std::optional<qint64> promptTokens;
    QList<ChatRequest> asked;
    QList<Provider> listed;
    QList<WarmUp> warmUps;
    qsizetype listingsAnswered = 0;
    bool held = false;

    void release() { emit released(); }

    QCoro::Task<Result<QStringList>> listModels(Provider provider) override
    {
        listed.append(provider);
        if (held)
            co_await qCoro(this, &FakeModelServer::released);
        Result<QStringList> answer = listings.at(provider); // a copy: the script is reused
        ++listingsAnswered;
        co_return answer;
    }

    QCoro::Task<Result<ModelCapabilities>> capabilities(Provider, const QString& model) override
    {
        if (!described.contains(model))
            co_return Failure{QStringLiteral("not described")};
        co_return described.value(model);
    }

    void warmUp(Provider provider, const QString& model, qint64 contextTokens) override
    {
        warmUps.append({provider, model, contextTokens});
    }

    /// Requests that were cancelled while they waited.
    qsizetype cancelled = 0;

    /// The start of the reply, heard as streamed before a held request is released.
    QString firstPiece;

    QCoro::Task<Result<ChatAnswer>> ask(const ChatRequest& request,
                                        const Cancellation& cancellation,
                                        const TextSoFar& textSoFar) override
    {
        asked.append(request);
        if (!firstPiece.isEmpty() && textSoFar)
            textSoFar(firstPiece);
        if (held) {
            // Released, or cancelled as a real request is: whichever comes first, for this
            // request alone. The gate opens once, so the request is resumed once.
            Gate gate;
            connect(this, &FakeModelServer::released, &gate, &Gate::open);
            connect(&cancellation, &Cancellation::cancelled, &gate, &Gate::open);
            co_await qCoro(&gate, &Gate::opened);
        }
        if (cancellation.isCancelled()) {
            ++cancelled;
            co_return Failure(QStringLiteral("stopped"));
        }
        if (!reply)
            co_return reply.failure();
        co_return ChatAnswer{reply.value(), promptTokens};
    }

signals:
    void released();
};
