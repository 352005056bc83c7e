#pragma once

#include "core/Result.h"
#include "model_client/Provider.h"

#include <QByteArray>
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

/// The JSON body of a chat request.
QByteArray chatBody(Provider provider, const QString& model, const QString& system,
                    const QString& user, const std::optional<QString>& imageBase64);

/// The reply text of a chat response body; the empty text when the path is missing, a failure
/// when the body is not JSON.
Result<QString> decodeChatReply(Provider provider, const QByteArray& body);

/// The failure for an HTTP status of 400 or more.
Failure httpFailure(int status, const QByteArray& body);

} // namespace ModelServerWire
