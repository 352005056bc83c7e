// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the model's reply: the JSON object somewhere in its text, with the tolerated key
// names and id forms of local models.
#include "model_client/LLMClient.h"

#include "core/NumericRange.h"
#include "model_client/JsonPrefix.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

std::optional<QJsonObject> locateObject(const QString& reply)
{
    const qsizetype open = reply.indexOf(u'{');
    const qsizetype close = reply.lastIndexOf(u'}');
    if (open < 0 || close < 0 || open >= close)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(reply.mid(open, close - open + 1).toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<qint64> idFromNumber(const QJsonValue& value)
{
    const double number = value.toDouble();
    const std::optional<qint64> truncated = NumericRange::truncatedInt64(number);
    // Whole numbers keep their exact integer value when the document stored one.
    if (truncated && number == std::trunc(number))
        return value.toInteger(*truncated);
    return truncated;
}

std::optional<qint64> idFromText(const QString& text, const QList<GuideElement>& elements)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    static const QRegularExpression edgeBlanks(QStringLiteral("^[ \\t]+|[ \\t]+$"));
    const QString trimmed = QString(text).remove(edgeBlanks);
    if (decimal.match(trimmed).hasMatch()) {
        bool ok = false;
        const qint64 id = trimmed.toLongLong(&ok);
        if (ok)
            return id;
    }
    for (const GuideElement& element : elements) {
        if (element.title.compare(text, Qt::CaseInsensitive) == 0)
            return element.id;
    }
    return std::nullopt;
}

std::optional<qint64> findId(const QJsonObject& object, const QList<GuideElement>& elements)
{
    for (const char* key : {"id", "element_id", "element"}) {
        const QJsonValue value = object.value(QLatin1String(key));
        std::optional<qint64> id;
        if (value.isDouble())
            id = idFromNumber(value);
        else if (value.isString())
            id = idFromText(value.toString(), elements);
        if (id)
            return id;
    }
    return std::nullopt;
}

const std::array<QLatin1String, 2> explanationKeys{QLatin1String("explanation"),
                                                   QLatin1String("reason")};

QString findExplanation(const QJsonObject& object)
{
    for (QLatin1String key : explanationKeys) {
        const QJsonValue value = object.value(key);
        if (value.isString())
            return value.toString();
    }
    return {};
}

} // namespace

namespace LLMClient {

std::optional<ModelReply> parse(const QString& reply, const QList<GuideElement>& elements)
{
    const std::optional<QJsonObject> object = locateObject(reply);
    if (!object)
        return std::nullopt;
    ModelReply result{findId(*object, elements), findExplanation(*object),
                      object->value(QLatin1String("done")).toBool(false)};
    if (!result.id && !result.done)
        return std::nullopt;
    return result;
}

std::optional<ModelReply> preview(QStringView replySoFar, const QList<GuideElement>& elements)
{
    const JsonPrefix prefix = JsonPrefix::read(
        replySoFar.first(std::min<qsizetype>(replySoFar.size(), maxPreviewCharacters)));
    ModelReply result{findId(prefix.complete, elements), findExplanation(prefix.complete),
                      prefix.complete.value(QLatin1String("done")).toBool(false)};
    const bool writingExplanation = std::find(explanationKeys.begin(), explanationKeys.end(),
                                              prefix.openKey) != explanationKeys.end();
    if (result.explanation.isEmpty() && writingExplanation) {
        // A sentence still being written is shown to its last whole word; one in a script
        // written without spaces, as far as it goes.
        static const QRegularExpression blank(QStringLiteral("\\s"));
        const qsizetype lastBlank = prefix.openString.lastIndexOf(blank);
        result.explanation = lastBlank < 0 ? prefix.openString : prefix.openString.left(lastBlank);
    }
    if (!result.id && !result.done)
        return std::nullopt;
    return result;
}

} // namespace LLMClient
