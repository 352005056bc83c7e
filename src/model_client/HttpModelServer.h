// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model_client/HttpExchange.h"
#include "model_client/ModelServerPort.h"

#include <QByteArray>
#include <QMap>
#include <QObject>

#include <chrono>
#include <map>

/// Ollama or LM Studio on this machine, over HTTP. Every reply is untrusted: its size is
/// capped while it arrives, both requests are bounded in time, and decoding runs off the main
/// thread.
class HttpModelServer : public QObject, public ModelServerPort
{
    Q_OBJECT
public:
    /// Bodies larger than this are refused while they arrive rather than buffered: model
    /// listings and descriptions (a description carries the model's whole vocabulary).
    static constexpr qint64 maxBodyBytes = 16 * 1024 * 1024;
    /// A chat answer is a JSON object with one sentence in it, a few kilobytes; streamed, each
    /// token comes in an object of its own, some hundred bytes.
    static constexpr qint64 maxChatBodyBytes = 1024 * 1024;

    struct Timeouts
    {
        /// The whole model listing; a server that takes longer counts as not running.
        std::chrono::milliseconds listing{2500};
        /// How long a chat request may go without progress (sent, answer begun, answer
        /// complete) before it fails; a server trickling bytes makes no progress.
        std::chrono::milliseconds chatIdle{ModelServerPort::longestChat};
        /// The whole chat request, whatever the server does.
        std::chrono::milliseconds chatTotal{ModelServerPort::longestChat};
        /// A load the server is asked for in the background; loading a large model from a slow
        /// disk can take minutes.
        std::chrono::milliseconds warmUp{600'000};
    };

    /// Talks to each provider at its base address (its fixed port on this computer when not
    /// given). A provider whose address was refused is never contacted: its requests fail at
    /// once with the refusal.
    HttpModelServer(std::map<Provider, Result<QUrl>> bases, Timeouts timeouts,
                    QObject* parent = nullptr);

    /// Talks to the given ports of the loopback interface (tests run fake servers on free ones).
    HttpModelServer(QMap<Provider, quint16> ports, Timeouts timeouts, QObject* parent = nullptr);

    /// Each provider on its port of the loopback interface (its fixed one when not given).
    static std::map<Provider, Result<QUrl>> onLoopback(QMap<Provider, quint16> ports);

    QCoro::Task<Result<QStringList>> listModels(Provider provider) override;
    QCoro::Task<Result<ModelCapabilities>> capabilities(Provider provider,
                                                        const QString& model) override;
    void warmUp(Provider provider, const QString& model, qint64 contextTokens) override;
    QCoro::Task<Result<ChatAnswer>> ask(const ChatRequest& request,
                                        const Cancellation& cancellation,
                                        const TextSoFar& textSoFar) override;

private:
    using BodySoFar = std::function<void(const QByteArray& body)>;

    Result<QUrl> base(Provider provider) const;
    QCoro::Task<Result<HttpExchange::Response>> send(const QUrl& url, const QByteArray& body,
                                                     const HttpExchange::Limits& limits,
                                                     const QString& serverName,
                                                     const Cancellation* cancellation = nullptr,
                                                     const BodySoFar* bodySoFar = nullptr);

    std::map<Provider, Result<QUrl>> m_bases;
    Timeouts m_timeouts;
};
