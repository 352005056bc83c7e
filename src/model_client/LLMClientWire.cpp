// The two servers' wire formats: listing bodies, chat bodies and chat replies.
#include "core/Graphemes.h"
#include "model_client/LLMClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <algorithm>

namespace {

const QStringList visionFragments{QStringLiteral("vision"),     QStringLiteral("llava"),
                                  QStringLiteral("moondream"),  QStringLiteral("minicpm-v"),
                                  QStringLiteral("qwen2.5vl"),  QStringLiteral("qwen2-vl"),
                                  QStringLiteral("qwen2.5-vl"), QStringLiteral("gemma3"),
                                  QStringLiteral("bakllava"),   QStringLiteral("-vl")};

Result<QJsonDocument> decodeJson(const QByteArray& body)
{
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        return Failure{QStringLiteral("The server's answer is not valid JSON (%1 at byte %2).")
                           .arg(error.errorString())
                           .arg(error.offset)};
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

bool LLMClient::isVision(const QString& model)
{
    const QString lower = model.toLower();
    return std::any_of(visionFragments.begin(), visionFragments.end(),
                       [&lower](const QString& fragment) { return lower.contains(fragment); });
}

Result<QStringList> LLMClient::decodeModelList(Provider provider, const QByteArray& body)
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

QByteArray LLMClient::chatBody(Provider provider, const QString& model, const QString& system,
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

Result<QString> LLMClient::decodeChatReply(Provider provider, const QByteArray& body)
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

Failure LLMClient::httpFailure(int status, const QByteArray& body)
{
    return Failure{QStringLiteral("HTTP ") + QString::number(status) + u' ' +
                       Graphemes::left(validUtf8(body), 120),
                   QStringLiteral("LLM"), status};
}
