// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/ModelServerWire.h"
#include "core/DisplayText.h"
#include "core/Graphemes.h"
#include "core/OutsideText.h"
#include "core/Texts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

namespace {

Result<QJsonDocument> decodeJson(const QByteArray& body)
{
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        return Failure{Texts::answerNotJson(error.errorString(), error.offset)};
    }
    return document;
}

// An array in which every entry is an object; anything else counts as no entries.
QJsonArray objectArray(const QJsonValue& value)
{
    const QJsonArray array = value.toArray();
    for (const QJsonValue& entry : array) {
        if (!entry.isObject())
            return {};
    }
    return array;
}

// A name the panel can show and a request can carry: no control characters, no runs of marks,
// and no longer than any model's name is. Other names are dropped, not the listing.
bool isReadableName(const QString& name)
{
    const bool controls = std::any_of(name.begin(), name.end(),
                                      [](QChar c) { return c.category() == QChar::Other_Control; });
    return !controls && OutsideText::isTame(name, DisplayText::maxNameGraphemes);
}

// Unicode scalar order of the canonically composed forms.
bool scalarLess(const QString& a, const QString& b)
{
    const QList<uint> left = a.normalized(QString::NormalizationForm_C).toUcs4();
    const QList<uint> right = b.normalized(QString::NormalizationForm_C).toUcs4();
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end());
}

QString validUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    return decoder.hasError() ? QString() : text;
}

// A token count: a whole number from one to a billion; anything else counts as not given.
std::optional<qint64> tokenCount(const QJsonValue& value)
{
    constexpr double largest = 1e9;
    const double number = value.toDouble(-1);
    if (!value.isDouble() || !(number >= 1 && number <= largest) || number != std::floor(number))
        return std::nullopt;
    return static_cast<qint64>(number);
}

// LM Studio's OpenAI-style address ends in "/v1"; its own API lives beside it, at the root.
QUrl serverRoot(const QUrl& base)
{
    QUrl root = base;
    QString path = base.path();
    if (path.endsWith(QLatin1String("/v1")))
        path.chop(3);
    root.setPath(path);
    return root;
}

// Ollama's show answer: "capabilities" lists "vision" for models that read images (older
// servers leave the list out but describe a vision model's image encoder under
// "projector_info"); "model_info" holds the context length under the architecture's name.
ModelCapabilities ollamaCapabilities(const QJsonObject& show)
{
    ModelCapabilities capabilities;
    if (show.value("capabilities").isArray()) {
        capabilities.vision = show.value("capabilities").toArray().contains(QJsonValue("vision"));
        capabilities.replySchema = true;
    } else if (show.value("projector_info").isObject()) {
        capabilities.vision = true;
    }
    const QJsonObject info = show.value("model_info").toObject();
    const QString architecture = info.value("general.architecture").toString();
    capabilities.contextLength = tokenCount(info.value(architecture + ".context_length"));
    for (auto it = info.begin(); !capabilities.contextLength && it != info.end(); ++it) {
        if (it.key().endsWith(QLatin1String(".context_length")))
            capabilities.contextLength = tokenCount(it.value());
    }
    return capabilities;
}

// One entry of LM Studio's own listing: "type" is "vlm" for vision models and "llm" for text
// ones, "state" says whether it is loaded.
ModelCapabilities lmStudioCapabilities(const QJsonObject& entry)
{
    ModelCapabilities capabilities;
    capabilities.replySchema = true;
    const QString type = entry.value("type").toString();
    if (type == QLatin1String("vlm") || type == QLatin1String("llm"))
        capabilities.vision = type == QLatin1String("vlm");
    capabilities.contextLength = tokenCount(entry.value("max_context_length"));
    const QString state = entry.value("state").toString();
    if (state == QLatin1String("loaded") || state == QLatin1String("not-loaded"))
        capabilities.loaded = state == QLatin1String("loaded");
    capabilities.loadedContextLength = tokenCount(entry.value("loaded_context_length"));
    return capabilities;
}

} // namespace

namespace ModelServerWire {

QUrl base(Provider provider, quint16 port)
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port);
    url.setPath(provider == Provider::lmStudio ? QStringLiteral("/v1") : QString());
    return url;
}

QUrl endpoint(const QUrl& base, const QString& path)
{
    QUrl url = base;
    url.setPath(base.path() + u'/' + path);
    return url;
}

QString listPath(Provider provider)
{
    return provider == Provider::ollama ? QStringLiteral("api/tags") : QStringLiteral("models");
}

QString chatPath(Provider provider)
{
    return provider == Provider::ollama ? QStringLiteral("api/chat")
                                        : QStringLiteral("chat/completions");
}

Result<QStringList> decodeModelList(Provider provider, const QByteArray& body)
{
    const Result<QJsonDocument> document = decodeJson(body);
    if (!document)
        return document.failure();
    if (!document.value().isObject())
        return QStringList{};
    const bool ollama = provider == Provider::ollama;
    const QJsonObject top = document.value().object();
    const QLatin1String listKey(ollama ? "models" : "data");
    const QLatin1String nameKey(ollama ? "name" : "id");

    QStringList names;
    for (const QJsonValue& entry : objectArray(top.value(listKey))) {
        const QJsonValue name = entry.toObject().value(nameKey);
        if (!name.isString() || !isReadableName(name.toString()))
            continue;
        if (!ollama && name.toString().toLower().contains(QLatin1String("embed")))
            continue;
        names.append(name.toString());
    }
    std::stable_sort(names.begin(), names.end(), scalarLess);
    return names;
}

QByteArray replySchema()
{
    // Written out, not built as a QJsonObject, which sorts its keys: a server generates the
    // properties in the order given, and the id comes first so that it is known first.
    return QByteArrayLiteral(R"({"type":"object","properties":{"id":{"type":["integer","null"]},)"
                             R"("explanation":{"type":"string","maxLength":)") +
           QByteArray::number(maxExplanationCharacters) +
           QByteArrayLiteral(
               R"(},"done":{"type":"boolean"}},"required":["id","explanation","done"]})");
}

QByteArray chatBody(const ChatRequest& request)
{
    const QJsonObject systemMessage{{"role", "system"}, {"content", request.system}};
    QJsonObject userMessage{{"role", "user"}};
    // Streamed, so that the start of the answer (the element's id) can be acted on while the
    // rest is generated.
    QJsonObject body{{"model", request.model}, {"stream", true}};
    if (request.provider == Provider::ollama) {
        userMessage.insert("content", request.user);
        if (request.imageBase64)
            userMessage.insert("images", QJsonArray{*request.imageBase64});
        if (!request.replySchema)
            body.insert("format", "json");
        QJsonObject options{{"temperature", 0}};
        if (request.contextTokens)
            options.insert("num_ctx", *request.contextTokens);
        body.insert("options", options);
        body.insert("keep_alive", keepAlive);
    } else {
        if (request.imageBase64) {
            const QJsonObject text{{"type", "text"}, {"text", request.user}};
            const QJsonObject image{
                {"type", "image_url"},
                {"image_url", QJsonObject{{"url", QStringLiteral("data:image/jpeg;base64,") +
                                                      *request.imageBase64}}}};
            userMessage.insert("content", QJsonArray{text, image});
        } else {
            userMessage.insert("content", request.user);
        }
        body.insert("temperature", 0);
        // The last event then says how many prompt tokens were read.
        body.insert("stream_options", QJsonObject{{"include_usage", true}});
    }
    body.insert("messages", QJsonArray{systemMessage, userMessage});
    QByteArray json = QJsonDocument(body).toJson(QJsonDocument::Compact);
    if (request.replySchema) {
        json.chop(1); // the closing brace, after which the schema joins the body
        json += request.provider == Provider::ollama
                    ? QByteArrayLiteral(R"(,"format":)") + replySchema()
                    : QByteArrayLiteral(R"(,"response_format":{"type":"json_schema","json_schema":)"
                                        R"({"name":"next_step","strict":true,"schema":)") +
                          replySchema() + "}}";
        json += '}';
    }
    return json;
}

ChatAnswer chatAnswerOf(Provider provider, const QJsonObject& top)
{
    QJsonValue message;
    std::optional<qint64> promptTokens;
    if (provider == Provider::ollama) {
        message = top.value("message");
        promptTokens = tokenCount(top.value("prompt_eval_count"));
    } else {
        const QJsonArray choices = top.value("choices").toArray();
        if (!choices.isEmpty()) {
            const QJsonObject choice = choices.first().toObject();
            // A streamed piece carries the text it adds as a "delta".
            message = choice.contains("delta") ? choice.value("delta") : choice.value("message");
        }
        promptTokens = tokenCount(top.value("usage").toObject().value("prompt_tokens"));
    }
    return ChatAnswer{message.toObject().value("content").toString(), promptTokens};
}

Result<ChatAnswer> decodeChatReply(Provider provider, const QByteArray& body)
{
    const Result<QJsonDocument> document = decodeJson(body);
    if (!document)
        return document.failure();
    return chatAnswerOf(provider, document.value().object());
}

QUrl capabilitiesUrl(Provider provider, const QUrl& base)
{
    return provider == Provider::ollama
               ? endpoint(base, QStringLiteral("api/show"))
               : endpoint(serverRoot(base), QStringLiteral("api/v0/models"));
}

QByteArray capabilitiesBody(Provider provider, const QString& model)
{
    if (provider != Provider::ollama)
        return {};
    return QJsonDocument(QJsonObject{{"model", model}}).toJson(QJsonDocument::Compact);
}

Result<ModelCapabilities> decodeCapabilities(Provider provider, const QString& model,
                                             const QByteArray& body)
{
    const Result<QJsonDocument> document = decodeJson(body);
    if (!document)
        return document.failure();
    const QJsonObject top = document.value().object();
    if (provider == Provider::ollama)
        return ollamaCapabilities(top);
    for (const QJsonValue& entry : objectArray(top.value("data"))) {
        if (entry.toObject().value("id").toString() == model)
            return lmStudioCapabilities(entry.toObject());
    }
    return Failure{Texts::modelNotDescribed()};
}

QUrl warmUpUrl(Provider provider, const QUrl& base)
{
    return provider == Provider::ollama
               ? endpoint(base, QStringLiteral("api/generate"))
               : endpoint(serverRoot(base), QStringLiteral("api/v1/models/load"));
}

QByteArray warmUpBody(Provider provider, const QString& model, qint64 contextTokens)
{
    // Ollama loads a model for a generate request that has no prompt, and keeps it as long as
    // it is told; the context is the one the steps will ask for, so they do not reload it.
    const QJsonObject body = provider == Provider::ollama
                                 ? QJsonObject{{"model", model},
                                               {"keep_alive", keepAlive},
                                               {"options", QJsonObject{{"num_ctx", contextTokens}}}}
                                 : QJsonObject{{"model", model}, {"context_length", contextTokens}};
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

Failure httpFailure(int status, const QByteArray& body)
{
    return Failure{QStringLiteral("HTTP ") + QString::number(status) + u' ' +
                       Graphemes::left(validUtf8(body), 120),
                   QStringLiteral("LLM"), status};
}

} // namespace ModelServerWire
