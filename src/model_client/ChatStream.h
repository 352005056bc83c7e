// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "model_client/ChatAnswer.h"
#include "model_client/Provider.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

/// Reads a streamed chat answer as its body arrives: Ollama's lines of JSON, one a token, or
/// LM Studio's server-sent events ("data: {...}", ending "data: [DONE]"). The text grows with
/// each piece, so a caller can act on the start of an answer before the rest is generated. A
/// server that answers in one piece although a stream was asked for is read as that piece.
/// Pure; every byte is untrusted, and each byte is looked at a bounded number of times however
/// the body is cut.
class ChatStream
{
public:
    /// The domain of the failure for a stream that ended before the server said it was done.
    inline static const QString brokenOffDomain = QStringLiteral("brokenOff");

    explicit ChatStream(Provider provider);

    /// Takes the next bytes of the body; whether the answer's text grew.
    bool feed(QByteArrayView bytes);

    /// The body has ended: the whole answer, or why there is none (the server's error in the
    /// stream, a stream that broke off, or a body that is neither a stream nor one answer).
    Result<ChatAnswer> finish();

    /// The answer's text so far.
    const QString& text() const { return m_text; }

    /// The whole body, read at once.
    static Result<ChatAnswer> decode(Provider provider, const QByteArray& body);

private:
    void takeLine(QByteArrayView line);
    void takePiece(const QByteArray& json);

    Provider m_provider;
    QByteArray m_body;
    /// Where the line not yet taken starts, and how far it has been searched for its end.
    qsizetype m_lineStart = 0;
    qsizetype m_searched = 0;
    QString m_text;
    std::optional<qint64> m_promptTokens;
    std::optional<QString> m_error;
    int m_pieces = 0;
    bool m_ended = false;
};
