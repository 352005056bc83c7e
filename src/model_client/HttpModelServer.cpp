#include "model_client/HttpModelServer.h"

#include "core/Texts.h"
#include "model_client/ModelClientLog.h"
#include "model_client/ModelServerWire.h"

#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroNetworkReply>

#include <memory>

namespace {

enum class AbortReason
{
    none,
    tooLarge,
    timedOut
};

} // namespace

HttpModelServer::HttpModelServer(QObject* parent)
    : HttpModelServer({{Provider::ollama, Providers::defaultPort(Provider::ollama)},
                       {Provider::lmStudio, Providers::defaultPort(Provider::lmStudio)}},
                      Timeouts{}, parent)
{
}

HttpModelServer::HttpModelServer(QMap<Provider, quint16> ports, Timeouts timeouts, QObject* parent)
    : QObject(parent), m_ports(std::move(ports)), m_timeouts(timeouts)
{
    // Requests go straight to the loopback interface, never through a proxy.
    m_network.setProxy(QNetworkProxy::NoProxy);
}

QUrl HttpModelServer::base(Provider provider) const
{
    return ModelServerWire::base(provider,
                                 m_ports.value(provider, Providers::defaultPort(provider)));
}

QCoro::Task<Result<HttpModelServer::Response>>
HttpModelServer::send(const QNetworkRequest& toSend, const QByteArray& body, bool post,
                      std::chrono::milliseconds total)
{
    // A redirect could lead off this machine; it is treated as an answer, not followed.
    QNetworkRequest request = toSend;
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = post ? m_network.post(request, body) : m_network.get(request);
    const std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> owner(
        reply, [](QNetworkReply* r) { r->deleteLater(); });

    auto reason = std::make_shared<AbortReason>(AbortReason::none);
    const auto abortFor = [reply, reason](AbortReason why) {
        if (*reason == AbortReason::none)
            *reason = why;
        reply->abort();
    };
    const auto checkSize = [reply, abortFor](qint64 received) {
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (received > maxBodyBytes || announced > maxBodyBytes)
            abortFor(AbortReason::tooLarge);
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, [checkSize] { checkSize(0); });
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [checkSize](qint64 received, qint64) { checkSize(received); });
    QTimer::singleShot(total, reply, [abortFor] { abortFor(AbortReason::timedOut); });

    co_await reply;

    if (reply->error() != QNetworkReply::NoError)
        qCDebug(lcModelClient) << "request to" << request.url().path()
                               << "ended:" << reply->error();
    if (*reason == AbortReason::tooLarge)
        co_return Failure{Texts::answerTooLarge(maxBodyBytes)};
    if (*reason == AbortReason::timedOut || reply->error() == QNetworkReply::OperationCanceledError)
        co_return Failure{Texts::requestTimedOut};
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (reply->error() != QNetworkReply::NoError && !status.isValid())
        co_return Failure{reply->errorString()};
    co_return Response{status.toInt(), reply->readAll()};
}

QCoro::Task<Result<QStringList>> HttpModelServer::listModels(Provider provider)
{
    QNetworkRequest request(
        ModelServerWire::endpoint(base(provider), ModelServerWire::listPath(provider)));
    request.setTransferTimeout(static_cast<int>(m_timeouts.listing.count()));
    const Result<Response> response = co_await send(request, {}, false, m_timeouts.listing);
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
    QNetworkRequest request(
        ModelServerWire::endpoint(base(provider), ModelServerWire::chatPath(provider)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(static_cast<int>(m_timeouts.chatIdle.count()));
    QFuture<QByteArray> encoding =
        QtConcurrent::run(&ModelServerWire::chatBody, provider, model, system, user, imageBase64);
    const QByteArray body = co_await encoding;
    const Result<Response> response = co_await send(request, body, true, m_timeouts.chatTotal);
    if (!response)
        co_return response.failure();
    if (response.value().status >= 400)
        co_return ModelServerWire::httpFailure(response.value().status, response.value().body);
    QFuture<Result<QString>> decoding =
        QtConcurrent::run(&ModelServerWire::decodeChatReply, provider, response.value().body);
    co_return co_await decoding;
}
