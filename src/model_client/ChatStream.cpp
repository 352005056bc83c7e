// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/ChatStream.h"

#include "core/Graphemes.h"
#include "model_client/ModelServerWire.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The most of a server's own error text that is passed on.
constexpr int maxErrorGraphemes = 120;

QString errorText(const QJsonValue& error)
{
    // Ollama says a string; servers in OpenAI's manner an object with a message.
    const QString text =
        error.isObject() ? error.toObject().value("message").toString() : error.toString();
    return Graphemes::left(text.isEmpty() ? QStringLiteral("error") : text, maxErrorGraphemes);
}

} // namespace

ChatStream::ChatStream(Provider provider) : m_provider(provider) {}

bool ChatStream::feed(QByteArrayView bytes)
{
    const qsizetype before = m_text.size();
    m_body.append(bytes);
    for (;;) {
        const qsizetype end = m_body.indexOf('\n', m_searched);
        if (end < 0) {
            m_searched = m_body.size();
            break;
        }
        takeLine(QByteArrayView(m_body).sliced(m_lineStart, end - m_lineStart));
        m_lineStart = m_searched = end + 1;
    }
    return m_text.size() != before;
}

void ChatStream::takeLine(QByteArrayView line)
{
    if (m_ended || m_error)
        return; // what follows the end is not part of the answer
    const QByteArray trimmed = line.toByteArray().trimmed();
    if (m_provider == Provider::ollama) {
        if (trimmed.startsWith('{'))
            takePiece(trimmed);
        return;
    }
    // Server-sent events: only the data lines matter; names, ids and comments are passed over.
    if (!trimmed.startsWith("data:"))
        return;
    const QByteArray data = trimmed.mid(5).trimmed();
    if (data == "[DONE]")
        m_ended = true;
    else if (data.startsWith('{'))
        takePiece(data);
}

void ChatStream::takePiece(const QByteArray& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return;
    const QJsonObject piece = document.object();
    if (piece.contains("error")) {
        m_error = errorText(piece.value("error"));
        return;
    }
    ++m_pieces;
    const ChatAnswer answer = ModelServerWire::chatAnswerOf(m_provider, piece);
    m_text += answer.text;
    if (answer.promptTokens)
        m_promptTokens = answer.promptTokens;
    if (m_provider == Provider::ollama) {
        // A piece that says nothing of being done is an answer in one piece, from a server
        // that does not stream.
        m_ended = piece.value("done").toBool(true);
    }
}

Result<ChatAnswer> ChatStream::finish()
{
    if (m_lineStart < m_body.size()) {
        takeLine(QByteArrayView(m_body).sliced(m_lineStart));
        m_lineStart = m_searched = m_body.size();
    }
    if (m_error)
        return Failure(*m_error);
    // Not a stream: a server that answered in one piece, pretty-printed perhaps.
    if (m_pieces == 0)
        return ModelServerWire::decodeChatReply(m_provider, m_body);
    if (!m_ended)
        return Failure(QStringLiteral("stream ended early"), brokenOffDomain);
    return ChatAnswer{m_text, m_promptTokens};
}

Result<ChatAnswer> ChatStream::decode(Provider provider, const QByteArray& body)
{
    ChatStream stream(provider);
    stream.feed(body);
    return stream.finish();
}
