#include "FakeModelHttpServer.h"

#include <QDateTime>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <memory>

QJsonObject FakeModelHttpServer::Received::json() const
{
    return QJsonDocument::fromJson(body).object();
}

FakeModelHttpServer::FakeModelHttpServer(Provider provider, quint16 port) : m_provider(provider)
{
    const bool ollama = provider == Provider::ollama;
    const QString listPath = ollama ? QStringLiteral("/api/tags") : QStringLiteral("/v1/models");
    const QString chatPath =
        ollama ? QStringLiteral("/api/chat") : QStringLiteral("/v1/chat/completions");
    for (const QString& path : {listPath, chatPath}) {
        m_server.route(path,
                       [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                           handle(request, std::move(responder));
                       });
    }
    m_port = m_server.listen(QHostAddress::LocalHost, port);
}

FakeModelHttpServer::~FakeModelHttpServer() = default;

void FakeModelHttpServer::handle(const QHttpServerRequest& request,
                                 QHttpServerResponder&& responder)
{
    const bool post = request.method() == QHttpServerRequest::Method::Post;
    received.append({post ? QByteArray("POST") : QByteArray("GET"), request.url().path(),
                     request.value("Content-Type"), request.body(),
                     QDateTime::currentMSecsSinceEpoch()});
    const auto code = static_cast<QHttpServerResponder::StatusCode>(status);
    switch (behaviour) {
    case Behaviour::neverAnswer:
        m_held.push_back(std::make_unique<QHttpServerResponder>(std::move(responder)));
        return;
    case Behaviour::stallAfterHeaders:
        responder.writeStatusLine(code);
        responder.writeHeaders({{"Content-Type", "application/json"}, {"Content-Length", "100"}});
        m_held.push_back(std::make_unique<QHttpServerResponder>(std::move(responder)));
        return;
    case Behaviour::hugeBody:
        responder.write(QByteArray(17 * 1024 * 1024, ' ') + "{}", "application/json", code);
        return;
    case Behaviour::normal:
        break;
    }
    const QByteArray body =
        post ? chatBody(QJsonDocument::fromJson(request.body()).object()) : listingBody();
    if (post && chatDelay.count() > 0) {
        auto held = std::make_shared<QHttpServerResponder>(std::move(responder));
        QTimer::singleShot(chatDelay,
                           [held, body, code] { held->write(body, "application/json", code); });
        return;
    }
    responder.write(body, "application/json", code);
}

QByteArray FakeModelHttpServer::listingBody() const
{
    if (!rawListingBody.isEmpty())
        return rawListingBody;
    QJsonArray entries;
    for (const QString& name : models) {
        entries.append(m_provider == Provider::ollama ? QJsonObject{{"name", name}}
                                                      : QJsonObject{{"id", name}});
    }
    const QString key = m_provider == Provider::ollama ? "models" : "data";
    return QJsonDocument(QJsonObject{{key, entries}}).toJson(QJsonDocument::Compact);
}

QByteArray FakeModelHttpServer::chatBody(const QJsonObject& request) const
{
    if (!rawChatBody.isEmpty())
        return rawChatBody;
    const QString content = answer ? answer(request) : replyContent;
    const QJsonObject message{{"role", "assistant"}, {"content", content}};
    const QJsonObject body =
        m_provider == Provider::ollama
            ? QJsonObject{{"model", request.value("model")}, {"message", message}, {"done", true}}
            : QJsonObject{{"object", "chat.completion"},
                          {"choices", QJsonArray{QJsonObject{{"index", 0}, {"message", message}}}}};
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}
