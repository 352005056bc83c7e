#include "model_client/ModelServerWire.h"
#include "core/Graphemes.h"
#include "core/Texts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <algorithm>

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
        if (!name.isString())
            continue;
        if (!ollama && name.toString().toLower().contains(QLatin1String("embed")))
            continue;
        names.append(name.toString());
    }
    std::stable_sort(names.begin(), names.end(), scalarLess);
    return names;
}

QByteArray chatBody(Provider provider, const QString& model, const QString& system,
                    const QString& user, const std::optional<QString>& imageBase64)
{
    const QJsonObject systemMessage{{"role", "system"}, {"content", system}};
    QJsonObject userMessage{{"role", "user"}};
    QJsonObject body{{"model", model}, {"stream", false}};
    if (provider == Provider::ollama) {
        userMessage.insert("content", user);
        if (imageBase64)
            userMessage.insert("images", QJsonArray{*imageBase64});
        body.insert("format", "json");
        body.insert("options", QJsonObject{{"temperature", 0}});
    } else {
        if (imageBase64) {
            const QJsonObject text{{"type", "text"}, {"text", user}};
            const QJsonObject image{
                {"type", "image_url"},
                {"image_url",
                 QJsonObject{{"url", QStringLiteral("data:image/jpeg;base64,") + *imageBase64}}}};
            userMessage.insert("content", QJsonArray{text, image});
        } else {
            userMessage.insert("content", user);
        }
        body.insert("temperature", 0);
    }
    body.insert("messages", QJsonArray{systemMessage, userMessage});
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

Result<QString> decodeChatReply(Provider provider, const QByteArray& body)
{
    const Result<QJsonDocument> document = decodeJson(body);
    if (!document)
        return document.failure();
    const QJsonObject top = document.value().object();
    QJsonValue message;
    if (provider == Provider::ollama) {
        message = top.value("message");
    } else {
        const QJsonArray choices = top.value("choices").toArray();
        if (!choices.isEmpty())
            message = choices.first().toObject().value("message");
    }
    return message.toObject().value("content").toString();
}

Failure httpFailure(int status, const QByteArray& body)
{
    return Failure{QStringLiteral("HTTP ") + QString::number(status) + u' ' +
                       Graphemes::left(validUtf8(body), 120),
                   QStringLiteral("LLM"), status};
}

} // namespace ModelServerWire
