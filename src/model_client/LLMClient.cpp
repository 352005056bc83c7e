// HTTP to the local model servers. Every reply is untrusted: its size is capped while it
// arrives, both requests are bounded in time, and decoding runs off the main thread.
#include "model_client/LLMClient.h"

#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>
#include <QCoro/QCoroNetworkReply>

#include <memory>

namespace {

const QString tooLarge = QStringLiteral("The server's answer is larger than 16 MiB.");
const QString timedOut = QStringLiteral("The request timed out.");

enum class AbortReason
{
    none,
    tooLarge,
    timedOut
};

} // namespace

LLMClient::LLMClient(QObject* parent)
    : LLMClient({{Provider::ollama, Providers::defaultPort(Provider::ollama)},
                 {Provider::lmStudio, Providers::defaultPort(Provider::lmStudio)}},
                Timeouts{}, parent)
{
}

LLMClient::LLMClient(QMap<Provider, quint16> ports, Timeouts timeouts, QObject* parent)
    : QObject(parent), m_ports(std::move(ports)), m_timeouts(timeouts)
{
    // Requests go straight to the loopback interface, never through a proxy.
    m_network.setProxy(QNetworkProxy::NoProxy);
}

QUrl LLMClient::base(Provider provider) const
{
    return Providers::base(provider, m_ports.value(provider, Providers::defaultPort(provider)));
}

QCoro::Task<Result<LLMClient::Response>> LLMClient::send(const QNetworkRequest& toSend,
                                                         const QByteArray& body, bool post,
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

    if (*reason == AbortReason::tooLarge)
        co_return Failure{tooLarge};
    if (*reason == AbortReason::timedOut || reply->error() == QNetworkReply::OperationCanceledError)
        co_return Failure{timedOut};
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (reply->error() != QNetworkReply::NoError && !status.isValid())
        co_return Failure{reply->errorString()};
    co_return Response{status.toInt(), reply->readAll()};
}

QCoro::Task<Result<QStringList>> LLMClient::listModels(Provider provider)
{
    QNetworkRequest request(Providers::endpoint(base(provider), Providers::listPath(provider)));
    request.setTransferTimeout(static_cast<int>(m_timeouts.listing.count()));
    const Result<Response> response = co_await send(request, {}, false, m_timeouts.listing);
    if (!response)
        co_return response.failure();
    // The status is not examined: any JSON answer means a server is there.
    QFuture<Result<QStringList>> decoding =
        QtConcurrent::run(&LLMClient::decodeModelList, provider, response.value().body);
    co_return co_await decoding;
}

QCoro::Task<Result<QString>> LLMClient::ask(Provider provider, const QString& model,
                                            const QString& system, const QString& user,
                                            const std::optional<QString>& imageBase64)
{
    QNetworkRequest request(Providers::endpoint(base(provider), Providers::chatPath(provider)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(static_cast<int>(m_timeouts.chatIdle.count()));
    QFuture<QByteArray> encoding =
        QtConcurrent::run(&LLMClient::chatBody, provider, model, system, user, imageBase64);
    const QByteArray body = co_await encoding;
    const Result<Response> response = co_await send(request, body, true, m_timeouts.chatTotal);
    if (!response)
        co_return response.failure();
    if (response.value().status >= 400)
        co_return httpFailure(response.value().status, response.value().body);
    QFuture<Result<QString>> decoding =
        QtConcurrent::run(&LLMClient::decodeChatReply, provider, response.value().body);
    co_return co_await decoding;
}
