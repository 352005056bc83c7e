// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/HttpModelServer.h"

#include "core/Texts.h"
#include "model_client/ChatStream.h"
#include "model_client/ModelClientLog.h"
#include "model_client/ModelServerWire.h"

#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroSignal>

HttpModelServer::HttpModelServer(std::map<Provider, Result<QUrl>> bases, Timeouts timeouts,
                                 QObject* parent)
    : QObject(parent), m_bases(std::move(bases)), m_timeouts(timeouts)
{
}

HttpModelServer::HttpModelServer(QMap<Provider, quint16> ports, Timeouts timeouts, QObject* parent)
    : HttpModelServer(onLoopback(ports), timeouts, parent)
{
}

std::map<Provider, Result<QUrl>> HttpModelServer::onLoopback(QMap<Provider, quint16> ports)
{
    std::map<Provider, Result<QUrl>> bases;
    for (Provider provider : Providers::allCases) {
        bases.insert_or_assign(
            provider, ModelServerWire::base(
                          provider, ports.value(provider, Providers::defaultPort(provider))));
    }
    return bases;
}

Result<QUrl> HttpModelServer::base(Provider provider) const
{
    const auto it = m_bases.find(provider);
    if (it != m_bases.end())
        return it->second;
    return ModelServerWire::base(provider, Providers::defaultPort(provider));
}

namespace {

// "Ollama at 127.0.0.1:11434", as failures name the server.
QString serverName(Provider provider, const QUrl& address)
{
    const QString host =
        address.host().contains(u':') ? u'[' + address.host() + u']' : address.host();
    return Texts::serverAt(Providers::rawValue(provider),
                           host + u':' + QString::number(address.port()));
}

} // namespace

QCoro::Task<Result<HttpExchange::Response>>
HttpModelServer::send(const QUrl& url, const QByteArray& body, const HttpExchange::Limits& limits,
                      const QString& serverName, const Cancellation* cancellation,
                      const BodySoFar* bodySoFar)
{
    HttpExchange exchange(url, body, QByteArrayLiteral("application/json"), limits, serverName);
    if (bodySoFar && *bodySoFar) {
        connect(&exchange, &HttpExchange::bodyGrew, &exchange,
                [&exchange, bodySoFar] { (*bodySoFar)(exchange.bodySoFar()); });
    }
    if (cancellation) {
        if (cancellation->isCancelled())
            co_return Failure(Texts::requestStopped(), HttpExchange::cancelledDomain);
        connect(cancellation, &Cancellation::cancelled, &exchange, &HttpExchange::cancel);
    }
    exchange.start();
    if (!exchange.isFinished())
        co_await qCoro(&exchange, &HttpExchange::finished);
    Result<HttpExchange::Response> response = exchange.result();
    co_return response;
}

QCoro::Task<Result<QStringList>> HttpModelServer::listModels(Provider provider)
{
    // A refused address is never contacted.
    const Result<QUrl> address = base(provider);
    if (!address)
        co_return address.failure();
    const QUrl url =
        ModelServerWire::endpoint(address.value(), ModelServerWire::listPath(provider));
    // Arguments are named: GCC 12 mishandles class-type temporaries across a suspension.
    const HttpExchange::Limits limits{maxBodyBytes, m_timeouts.listing, m_timeouts.listing};
    const QString name = serverName(provider, address.value());
    const QByteArray noBody;
    const Result<HttpExchange::Response> response = co_await send(url, noBody, limits, name);
    if (!response)
        co_return response.failure();
    // The status is not examined: any JSON answer means a server is there.
    QFuture<Result<QStringList>> decoding =
        QtConcurrent::run(&ModelServerWire::decodeModelList, provider, response.value().body);
    co_return co_await decoding;
}

QCoro::Task<Result<ModelCapabilities>> HttpModelServer::capabilities(Provider provider,
                                                                     const QString& model)
{
    const Result<QUrl> address = base(provider);
    if (!address)
        co_return address.failure();
    const QUrl url = ModelServerWire::capabilitiesUrl(provider, address.value());
    const QByteArray body = ModelServerWire::capabilitiesBody(provider, model);
    const HttpExchange::Limits limits{maxBodyBytes, m_timeouts.listing, m_timeouts.listing};
    const QString name = serverName(provider, address.value());
    const Result<HttpExchange::Response> response = co_await send(url, body, limits, name);
    if (!response)
        co_return response.failure();
    if (response.value().status >= 400)
        co_return ModelServerWire::httpFailure(response.value().status, response.value().body);
    QFuture<Result<ModelCapabilities>> decoding = QtConcurrent::run(
        &ModelServerWire::decodeCapabilities, provider, model, response.value().body);
    co_return co_await decoding;
}

// Not a coroutine: the exchange is a child of the server, so quitting while a load is under
// way ends it with the server instead of leaving a suspended request behind.
void HttpModelServer::warmUp(Provider provider, const QString& model, qint64 contextTokens)
{
    const Result<QUrl> address = base(provider);
    if (!address)
        return;
    auto* exchange = new HttpExchange(ModelServerWire::warmUpUrl(provider, address.value()),
                                      ModelServerWire::warmUpBody(provider, model, contextTokens),
                                      QByteArrayLiteral("application/json"),
                                      {maxBodyBytes, m_timeouts.warmUp, m_timeouts.warmUp},
                                      serverName(provider, address.value()), this);
    connect(exchange, &HttpExchange::finished, exchange, [exchange, model] {
        const Result<HttpExchange::Response>& result = exchange->result();
        if (!result)
            qCDebug(lcModelClient)
                << "loading" << model << "failed:" << result.failure().description;
        else
            qCDebug(lcModelClient) << "loading" << model << "answered" << result.value().status;
        exchange->deleteLater();
    });
    exchange->start();
}

QCoro::Task<Result<ChatAnswer>> HttpModelServer::ask(const ChatRequest& request,
                                                     const Cancellation& cancellation,
                                                     const TextSoFar& textSoFar)
{
    const Result<QUrl> address = base(request.provider);
    if (!address)
        co_return address.failure();
    const QUrl url =
        ModelServerWire::endpoint(address.value(), ModelServerWire::chatPath(request.provider));
    QFuture<QByteArray> encoding = QtConcurrent::run(&ModelServerWire::chatBody, request);
    const QByteArray body = co_await encoding;
    if (cancellation.isCancelled())
        co_return Failure(Texts::requestStopped(), HttpExchange::cancelledDomain);
    // The pieces are read as they come; each is small, and the body as a whole is capped.
    ChatStream stream(request.provider);
    qsizetype streamed = 0;
    const BodySoFar follow = [&](const QByteArray& bodySoFar) {
        const bool grew = stream.feed(QByteArrayView(bodySoFar).sliced(streamed));
        streamed = bodySoFar.size();
        if (grew && textSoFar)
            textSoFar(stream.text());
    };
    const QString name = serverName(request.provider, address.value());
    const Result<HttpExchange::Response> response =
        co_await send(url, body, {maxChatBodyBytes, m_timeouts.chatIdle, m_timeouts.chatTotal},
                      name, &cancellation, &follow);
    if (!response)
        co_return response.failure();
    const int status = response.value().status;
    if (status >= 400)
        co_return ModelServerWire::httpFailure(status, response.value().body);
    QFuture<Result<ChatAnswer>> decoding =
        QtConcurrent::run(&ChatStream::decode, request.provider, response.value().body);
    Result<ChatAnswer> answer = co_await decoding;
    // A redirect or another answer that is not one is said as the status it was.
    if (!answer && status >= 300)
        co_return ModelServerWire::httpFailure(status, response.value().body);
    if (!answer && answer.failure().domain == ChatStream::brokenOffDomain)
        co_return Failure(Texts::serverClosed(name));
    co_return answer;
}
