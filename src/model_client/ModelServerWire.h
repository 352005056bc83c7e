// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "model_client/ChatAnswer.h"
#include "model_client/ChatRequest.h"
#include "model_client/ModelCapabilities.h"
#include "model_client/Provider.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

/// The two servers' HTTP wire formats: where requests go, the bodies sent and the bodies read
/// back. Pure; every body read here is untrusted.
namespace ModelServerWire {

/// The base address on the loopback interface at `port`; LM Studio's ends in "/v1".
QUrl base(Provider provider, quint16 port);

/// `base` with `path` appended as a further path component.
QUrl endpoint(const QUrl& base, const QString& path);

QString listPath(Provider provider);
QString chatPath(Provider provider);

/// Decodes a model listing body: the names, sorted; a failure when it is not JSON.
Result<QStringList> decodeModelList(Provider provider, const QByteArray& body);

/// How long Ollama is asked to keep a model loaded after a request: long enough that a pause
/// between two steps never pays for a reload.
inline const QString keepAlive = QStringLiteral("30m");

/// The longest explanation a reply schema lets a model write: one sentence for a card.
inline constexpr int maxExplanationCharacters = 300;

/// The JSON schema of a reply: the element's id (first, so that it is generated first), the
/// sentence, and whether the goal is reached.
QByteArray replySchema();

/// The JSON body of a chat request, asking for the answer as a stream; with `replySchema` set, the
/// reply is held to that schema (Ollama's "format", LM Studio's "response_format") instead of
/// Ollama's plain JSON mode.
QByteArray chatBody(const ChatRequest& request);

/// The text and prompt tokens of one chat answer object, or of one piece of a streamed answer
/// (which carries its text as a "delta" on LM Studio).
ChatAnswer chatAnswerOf(Provider provider, const QJsonObject& top);

/// The reply of a chat response body: its text (empty when the path is missing) and the prompt
/// tokens the server reports; a failure when the body is not JSON.
Result<ChatAnswer> decodeChatReply(Provider provider, const QByteArray& body);

/// Where the server says what a model can do: Ollama's show endpoint (a POST naming the model),
/// LM Studio's own model listing beside its OpenAI-style one (a GET).
QUrl capabilitiesUrl(Provider provider, const QUrl& base);
/// The body that goes with it; empty for a GET.
QByteArray capabilitiesBody(Provider provider, const QString& model);
/// What the answer says `model` can do; a failure when it is not JSON or does not describe it.
Result<ModelCapabilities> decodeCapabilities(Provider provider, const QString& model,
                                             const QByteArray& body);

/// Where a model is loaded: Ollama's generate endpoint with no prompt, LM Studio's load one.
QUrl warmUpUrl(Provider provider, const QUrl& base);
QByteArray warmUpBody(Provider provider, const QString& model, qint64 contextTokens);

/// The failure for an HTTP status of 400 or more.
Failure httpFailure(int status, const QByteArray& body);

} // namespace ModelServerWire
