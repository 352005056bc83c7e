// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

/// Reads one HTTP/1.1 response as its bytes arrive: the status line, the headers, and a body
/// framed by Content-Length, by chunks, or by the end of the connection. A body that grows past
/// the cap is refused the moment it does, whatever the server announced, so no more than the
/// cap and one read are ever held. Interim (1xx) responses before the final one are passed
/// over. Pure; every byte is untrusted.
class HttpResponseReader
{
public:
    enum class State
    {
        reading,
        complete,
        tooLarge,
        malformed
    };

    /// The most header bytes a response may have.
    static constexpr qsizetype maxHeaderBytes = 64 * 1024;
    /// The most interim (1xx) responses before the final one; a server that sends more is
    /// not answering.
    static constexpr int maxInterimResponses = 8;

    explicit HttpResponseReader(qint64 maxBodyBytes);

    /// Takes the next bytes of the response.
    State feed(QByteArrayView bytes);
    /// The server closed the connection: the end of a body read until then, otherwise a
    /// response cut short.
    State connectionClosed();

    State state() const { return m_state; }
    /// Whether the final response's status line and headers have arrived.
    bool headRead() const { return m_headRead; }
    int status() const { return m_status; }
    const QByteArray& body() const { return m_body; }

private:
    enum class Framing
    {
        length,
        chunked,
        untilClose
    };

    State fail(State why);
    bool readHead();
    bool readStatusLine(const QByteArray& line);
    void readHeader(const QByteArray& line);
    void readBody();
    bool readChunks();
    bool append(QByteArrayView bytes);

    qint64 m_maxBody;
    State m_state = State::reading;
    QByteArray m_pending; // received, not yet taken apart
    bool m_headRead = false;
    int m_interimResponses = 0;
    int m_status = 0;
    Framing m_framing = Framing::untilClose;
    qint64 m_remaining = 0; // of the body (length framing) or of the current chunk
    bool m_inChunk = false;
    QByteArray m_body;
};
