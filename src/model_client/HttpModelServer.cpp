#include "model_client/HttpModelServer.h"

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

QCoro::Task<Result<HttpExchange::Response>> HttpModelServer::send(const QUrl& url,
                                                                  const QByteArray& body,
                                                                  std::chrono::milliseconds idle,
                                                                  std::chrono::milliseconds total)
{
    HttpExchange exchange(url, body, QByteArrayLiteral("application/json"),
                          {maxBodyBytes, idle, total});
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
    const Result<HttpExchange::Response> response =
        co_await send(url, {}, m_timeouts.listing, m_timeouts.listing);
    if (!response)
        co_return response.failure();
    // The status is not examined: any JSON answer means a server is there.
    QFuture<Result<QStringList>> decoding =
        QtConcurrent::run(&ModelServerWire::decodeModelList, provider, response.value().body);
    co_return co_await decoding;
}

QCoro::Task<Result<QString>> HttpModelServer::ask(Provider provider, const QString& model,
                                                  const QString& system, const QString& user,
                                                  const std::optional<QString>& imageBase64)
{
    const Result<QUrl> address = base(provider);
    if (!address)
        co_return address.failure();
    const QUrl url =
        ModelServerWire::endpoint(address.value(), ModelServerWire::chatPath(provider));
    QFuture<QByteArray> encoding =
        QtConcurrent::run(&ModelServerWire::chatBody, provider, model, system, user, imageBase64);
    const QByteArray body = co_await encoding;
    const Result<HttpExchange::Response> response =
        co_await send(url, body, m_timeouts.chatIdle, m_timeouts.chatTotal);
    if (!response)
        co_return response.failure();
    if (response.value().status >= 400)
        co_return ModelServerWire::httpFailure(response.value().status, response.value().body);
    QFuture<Result<QString>> decoding =
        QtConcurrent::run(&ModelServerWire::decodeChatReply, provider, response.value().body);
    co_return co_await decoding;
}
