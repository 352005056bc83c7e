// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeModelHttpServer.h"

#include <algorithm>

#include <QDateTime>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimer>

#include <cmath>
#include <memory>

namespace {

// A server's context when neither the request nor a load gave one.
constexpr qint64 usualDefaultContext = 4096;

QByteArray json(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// How many characters of the answer each streamed piece carries: about a token's worth.
constexpr qsizetype pieceCharacters = 4;

// A whole answer as the provider streams it: Ollama's lines of JSON, the last one done and
// counting the prompt; LM Studio's server-sent events, usage last, then [DONE].
QList<QByteArray> streamed(Provider provider, const QByteArray& answerBody)
{
    const QJsonObject whole = QJsonDocument::fromJson(answerBody).object();
    const bool ollama = provider == Provider::ollama;
    const QString content = ollama ? whole.value("message").toObject().value("content").toString()
                                   : whole.value("choices")[0]
                                         .toObject()
                                         .value("message")
                                         .toObject()
                                         .value("content")
                                         .toString();
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < content.size(); at += pieceCharacters) {
        const QJsonObject delta{{"role", "assistant"},
                                {"content", content.mid(at, pieceCharacters)}};
        pieces.append(
            ollama
                ? json({{"model", whole.value("model")}, {"message", delta}, {"done", false}}) +
                      '\n'
                : "data: " +
                      json({{"object", "chat.completion.chunk"},
                            {"choices", QJsonArray{QJsonObject{{"index", 0}, {"delta", delta}}}}}) +
                      "\n\n");
    }
    QJsonObject last = whole;
    if (ollama) {
        last.insert("message", QJsonObject{{"role", "assistant"}, {"content", ""}});
        pieces.append(json(last) + '\n');
    } else {
        last.insert("choices", QJsonArray{});
        pieces.append("data: " + json(last) + "\n\ndata: [DONE]\n\n");
    }
    return pieces;
}

// A stream being written a chunk at a time, as long as its responder lives.
struct StreamWriting
{
    std::weak_ptr<QHttpServerResponder> writer;
    QList<QByteArray> pieces;
    qsizetype at = 0;
    std::chrono::milliseconds gap;
    QObject* context = nullptr;
};

void writeNextPiece(const std::shared_ptr<StreamWriting>& writing)
{
    const auto writer = writing->writer.lock();
    if (!writer)
        return;
    const QByteArray& piece = writing->pieces[writing->at++];
    writer->writeBody(writing->gap.count() == 0
                          ? piece
                          : QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n");
    if (writing->at < writing->pieces.size())
        QTimer::singleShot(writing->gap, writing->context, [writing] { writeNextPiece(writing); });
}

// The user message's text, which LM Studio carries beside an image in a list of parts.
QString userText(const QJsonObject& message)
{
    const QJsonValue content = message.value("content");
    return content.isString() ? content.toString()
                              : content.toArray()[0].toObject().value("text").toString();
}

void setUserText(QJsonObject& message, const QString& text)
{
    if (message.value("content").isString()) {
        message.insert("content", text);
        return;
    }
    QJsonArray parts = message.value("content").toArray();
    QJsonObject first = parts[0].toObject();
    first.insert("text", text);
    parts[0] = first;
    message.insert("content", parts);
}

bool hasImage(const QJsonObject& message)
{
    return message.contains("images") || message.value("content").isArray();
}

} // namespace

QString FakeModelHttpServer::promptOf(const QJsonObject& request)
{
    return userText(request.value("messages").toArray()[1].toObject());
}

QString FakeModelHttpServer::idOf(const QString& title, const QString& prompt)
{
    // As a model would: a control by that name before text on screen that reads the same (a
    // switch's label, recognised where it is drawn beside the switch).
    for (const QString& name : title.split(u'|')) {
        const QRegularExpression line(
            QStringLiteral("^(\\d+) \\| ([^|]+) \\| %1 \\|").arg(QRegularExpression::escape(name)),
            QRegularExpression::MultilineOption);
        QString first;
        for (QRegularExpressionMatchIterator it = line.globalMatch(prompt); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            if (match.captured(2).trimmed() != QLatin1String("text"))
                return match.captured(1);
            if (first.isEmpty())
                first = match.captured(1);
        }
        if (!first.isEmpty())
            return first;
    }
    return {};
}

std::function<QString(const QJsonObject&)> FakeModelHttpServer::naming(const QString& title)
{
    return [title](const QJsonObject& request) {
        const QString prompt = promptOf(request);
        const QString id = idOf(title, prompt);
        // The explanation names the control as this version of the application calls it.
        const QStringList names = title.split(u'|');
        const auto named = std::find_if(names.begin(), names.end(), [&](const QString& name) {
            return !idOf(name, prompt).isEmpty();
        });
        return QStringLiteral("Here you go:\n{\"id\": %1, \"explanation\": \"Choose %2.\"}")
            .arg(id.isEmpty() ? QStringLiteral("null") : id,
                 named != names.end() ? *named : names.constFirst());
    };
}

std::function<QString(const QJsonObject&)> FakeModelHttpServer::namingInTurn(QStringList titles)
{
    auto remaining = std::make_shared<QStringList>(std::move(titles));
    return [remaining](const QJsonObject& request) {
        return naming(remaining->isEmpty() ? QString() : remaining->takeFirst())(request);
    };
}

QJsonObject FakeModelHttpServer::Received::json() const
{
    return QJsonDocument::fromJson(body).object();
}

FakeModelHttpServer::FakeModelHttpServer(Provider provider, quint16 port) : m_provider(provider)
{
    const QStringList paths =
        provider == Provider::ollama
            ? QStringList{"/api/tags", "/api/chat", "/api/show", "/api/generate"}
            : QStringList{"/v1/models", "/v1/chat/completions", "/api/v0/models",
                          "/api/v1/models/load"};
    for (const QString& path : paths) {
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
    auto code = static_cast<QHttpServerResponder::StatusCode>(status);
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
    const QString path = request.url().path();
    bool loaded = false;
    const QByteArray body =
        answerFor(path, QJsonDocument::fromJson(request.body()).object(), loaded);
    if (path == QLatin1String("/api/show") && body.isEmpty()) {
        responder.write(json({{"error", "model not found"}}), "application/json",
                        QHttpServerResponder::StatusCode::NotFound);
        return;
    }
    const bool chat =
        path.endsWith(QLatin1String("chat")) || path.endsWith(QLatin1String("completions"));
    const bool stream = chat && rawChatBody.isEmpty() && status == 200 &&
                        QJsonDocument::fromJson(request.body()).object().value("stream").toBool();
    if (stream)
        return sendStream(std::move(responder), streamed(m_provider, body),
                          loaded ? loadDelay : std::chrono::milliseconds(0));
    const auto delay = (loaded ? loadDelay : std::chrono::milliseconds(0)) +
                       (chat ? chatDelay : std::chrono::milliseconds(0));
    if (delay.count() > 0) {
        // Held by the server, so one destroyed before the delay ends answers nothing.
        auto held = std::make_shared<QHttpServerResponder>(std::move(responder));
        m_delayed.push_back(held);
        QTimer::singleShot(delay, &m_server, [weak = std::weak_ptr(held), body, code] {
            if (const auto responder = weak.lock())
                responder->write(body, "application/json", code);
        });
        return;
    }
    responder.write(body, "application/json", code);
}

// Chunk by chunk: the first after `delay` and the chat delay, each next after the piece delay.
void FakeModelHttpServer::sendStream(QHttpServerResponder&& responder, QList<QByteArray> pieces,
                                     std::chrono::milliseconds delay)
{
    auto held = std::make_shared<QHttpServerResponder>(std::move(responder));
    m_delayed.push_back(held);
    held->writeStatusLine(QHttpServerResponder::StatusCode::Ok);
    held->writeHeaders({{"Content-Type", m_provider == Provider::ollama ? "application/x-ndjson"
                                                                        : "text/event-stream"},
                        {"Transfer-Encoding", "chunked"}});
    pieces.append(QByteArray()); // the last, empty chunk
    // Without a pause between them the pieces go in one write: a client that has hung up by
    // the time a later piece is due leaves the responder's connection gone under it.
    if (pieceDelay.count() == 0) {
        QByteArray all;
        for (const QByteArray& piece : pieces)
            all += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
        pieces = {all};
    }
    auto writing = std::make_shared<StreamWriting>(
        StreamWriting{held, std::move(pieces), 0, pieceDelay, &m_server});
    QTimer::singleShot(delay + chatDelay, &m_server, [writing] { writeNextPiece(writing); });
}

QByteArray FakeModelHttpServer::answerFor(const QString& path, const QJsonObject& request,
                                          bool& loaded)
{
    const QString model = request.value("model").toString();
    if (path == QLatin1String("/api/tags") || path == QLatin1String("/v1/models"))
        return listingBody();
    if (path == QLatin1String("/api/v0/models"))
        return lmStudioDescriptions();
    if (path == QLatin1String("/api/show"))
        return showBody(request);
    if (path == QLatin1String("/api/generate")) {
        loaded = load(model, contextFor(request));
        return json({{"model", model}, {"response", ""}, {"done", true}, {"done_reason", "load"}});
    }
    if (path == QLatin1String("/api/v1/models/load")) {
        const qint64 asked = request.value("context_length").toInteger(usualDefaultContext);
        loaded = load(model, asked);
        return json({{"type", "llm"}, {"instance_id", model}, {"status", "loaded"}});
    }
    loaded = load(model, contextFor(request));
    return chatBody(request);
}

// Ollama runs a model with the context a request asks for; LM Studio with the one it was loaded
// with, loading it with its default when a request names a model not loaded.
qint64 FakeModelHttpServer::contextFor(const QJsonObject& request) const
{
    const QString model = request.value("model").toString();
    const qint64 fallback = defaultContext.value_or(usualDefaultContext);
    if (m_provider == Provider::lmStudio) {
        if (m_loaded.contains(model))
            return m_loaded.value(model);
        return preloaded(model).value_or(fallback);
    }
    const qint64 asked = request.value("options").toObject().value("num_ctx").toInteger(fallback);
    const auto card = cards.constFind(model);
    return card != cards.cend() ? std::min(asked, card->contextLength) : asked;
}

std::optional<qint64> FakeModelHttpServer::preloaded(const QString& model) const
{
    if (m_provider != Provider::lmStudio)
        return std::nullopt;
    const auto card = cards.constFind(model);
    return card != cards.cend() ? card->loadedContext : std::nullopt;
}

bool FakeModelHttpServer::load(const QString& model, qint64 context)
{
    const std::optional<qint64> before =
        m_loaded.contains(model) ? std::optional(m_loaded.value(model)) : preloaded(model);
    if (before == context)
        return false;
    m_loaded.insert(model, context);
    loads.append({model, context});
    return true;
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
    return json({{key, entries}});
}

QByteArray FakeModelHttpServer::lmStudioDescriptions() const
{
    QJsonArray entries;
    for (const QString& name : models) {
        QJsonObject entry{{"id", name}, {"object", "model"}};
        const auto card = cards.constFind(name);
        if (card != cards.cend()) {
            entry.insert("type", card->vision ? "vlm" : "llm");
            entry.insert("max_context_length", card->contextLength);
        }
        const std::optional<qint64> loaded =
            m_loaded.contains(name) ? std::optional(m_loaded.value(name)) : preloaded(name);
        entry.insert("state", loaded ? "loaded" : "not-loaded");
        if (loaded)
            entry.insert("loaded_context_length", *loaded);
        entries.append(entry);
    }
    return json({{"object", "list"}, {"data", entries}});
}

QByteArray FakeModelHttpServer::showBody(const QJsonObject& request) const
{
    const auto card = cards.constFind(request.value("model").toString());
    if (card == cards.cend())
        return {};
    QJsonArray capabilities{"completion"};
    if (card->vision)
        capabilities.append("vision");
    return json({{"capabilities", capabilities},
                 {"model_info", QJsonObject{{"general.architecture", "fakearch"},
                                            {"fakearch.context_length", card->contextLength}}}});
}

// The prompt is counted with the fake's tokenizer and, past the context, cut from the front as
// Ollama does: the system prompt goes first, then the start of the user message.
QByteArray FakeModelHttpServer::chatBody(QJsonObject request)
{
    if (!rawChatBody.isEmpty())
        return rawChatBody;
    QJsonArray messages = request.value("messages").toArray();
    QJsonObject system = messages[0].toObject();
    QJsonObject user = messages[1].toObject();
    QByteArray systemText = system.value("content").toString().toUtf8();
    QByteArray userBytes = userText(user).toUtf8();
    std::optional<qint64> promptTokens;
    if (defaultContext) {
        const qint64 context = contextFor(request);
        const qint64 textTokens = static_cast<qint64>(
            std::ceil(double(systemText.size() + userBytes.size()) / bytesPerToken));
        const qint64 tokens = textTokens + (hasImage(user) ? tokensPerImage : 0);
        promptTokens = std::min(tokens, context);
        if (tokens > context) {
            qint64 cut = static_cast<qint64>(std::ceil(double(tokens - context) * bytesPerToken));
            const qint64 fromSystem = std::min<qint64>(cut, systemText.size());
            systemText = systemText.mid(fromSystem);
            userBytes = userBytes.mid(std::min<qint64>(cut - fromSystem, userBytes.size()));
        }
    }
    system.insert("content", QString::fromUtf8(systemText));
    setUserText(user, QString::fromUtf8(userBytes));
    messages[0] = system;
    messages[1] = user;
    request.insert("messages", messages);
    lastSeenPrompt = QString::fromUtf8(systemText) + u'\n' + QString::fromUtf8(userBytes);

    const QString content = answer ? answer(request) : replyContent;
    const QJsonObject message{{"role", "assistant"}, {"content", content}};
    QJsonObject body =
        m_provider == Provider::ollama
            ? QJsonObject{{"model", request.value("model")}, {"message", message}, {"done", true}}
            : QJsonObject{{"object", "chat.completion"},
                          {"choices", QJsonArray{QJsonObject{{"index", 0}, {"message", message}}}}};
    if (promptTokens && m_provider == Provider::ollama)
        body.insert("prompt_eval_count", *promptTokens);
    else if (promptTokens)
        body.insert("usage", QJsonObject{{"prompt_tokens", *promptTokens}});
    return json(body);
}
