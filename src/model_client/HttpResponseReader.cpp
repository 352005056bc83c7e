// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/HttpResponseReader.h"

#include <QList>

#include <algorithm>

namespace {

const QByteArray lineEnd("\r\n");
const QByteArray headEnd("\r\n\r\n");

} // namespace

HttpResponseReader::HttpResponseReader(qint64 maxBodyBytes) : m_maxBody(maxBodyBytes) {}

HttpResponseReader::State HttpResponseReader::fail(State why)
{
    m_state = why;
    m_pending.clear();
    return m_state;
}

HttpResponseReader::State HttpResponseReader::feed(QByteArrayView bytes)
{
    if (m_state != State::reading)
        return m_state;
    m_pending.append(bytes);
    while (!m_headRead) {
        if (!readHead())
            return m_state;
    }
    readBody();
    return m_state;
}

HttpResponseReader::State HttpResponseReader::connectionClosed()
{
    if (m_state != State::reading)
        return m_state;
    if (m_headRead && m_framing == Framing::untilClose)
        m_state = State::complete;
    else
        m_state = State::malformed;
    return m_state;
}

// The status line and headers, once all of them have arrived.
bool HttpResponseReader::readHead()
{
    const qsizetype end = m_pending.indexOf(headEnd);
    if (end < 0) {
        if (m_pending.size() > maxHeaderBytes)
            fail(State::malformed);
        return false;
    }
    if (end > maxHeaderBytes) {
        fail(State::malformed);
        return false;
    }
    const QList<QByteArray> lines = m_pending.left(end).split('\n');
    m_pending.remove(0, end + headEnd.size());
    if (!readStatusLine(lines.first().trimmed())) {
        fail(State::malformed);
        return false;
    }
    // An interim response ("100 Continue", "103 Early Hints") has no body; the final one
    // follows. Switching protocols is no answer to a model request.
    if (m_status < 200) {
        if (m_status == 101 || ++m_interimResponses > maxInterimResponses)
            fail(State::malformed);
        return m_state == State::reading;
    }
    for (qsizetype i = 1; i < lines.size(); ++i)
        readHeader(lines[i].trimmed());
    m_headRead = true;
    if (m_state == State::reading && m_framing == Framing::length && m_remaining > m_maxBody)
        fail(State::tooLarge);
    return m_state == State::reading;
}

bool HttpResponseReader::readStatusLine(const QByteArray& line)
{
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() < 2 || !parts.first().startsWith("HTTP/1."))
        return false;
    bool ok = false;
    m_status = parts[1].toInt(&ok);
    return ok && m_status >= 100 && m_status <= 999;
}

void HttpResponseReader::readHeader(const QByteArray& line)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return;
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "transfer-encoding" && value.toLower().contains("chunked")) {
        m_framing = Framing::chunked;
    } else if (name == "content-length" && m_framing != Framing::chunked) {
        bool ok = false;
        const qint64 length = value.toLongLong(&ok);
        if (!ok || length < 0) {
            fail(State::malformed);
            return;
        }
        m_framing = Framing::length;
        m_remaining = length;
    }
}

void HttpResponseReader::readBody()
{
    switch (m_framing) {
    case Framing::untilClose:
        append(m_pending);
        m_pending.clear();
        return;
    case Framing::length: {
        const qsizetype take =
            static_cast<qsizetype>(std::min<qint64>(m_remaining, m_pending.size()));
        if (!append(QByteArrayView(m_pending).first(take)))
            return;
        m_pending.remove(0, take);
        m_remaining -= take;
        if (m_remaining == 0)
            m_state = State::complete;
        return;
    }
    case Framing::chunked:
        while (m_state == State::reading && readChunks()) {
        }
        return;
    }
}

// Takes apart what has arrived of the chunks; false when it needs more bytes to go on.
bool HttpResponseReader::readChunks()
{
    if (m_inChunk) {
        const qsizetype take =
            static_cast<qsizetype>(std::min<qint64>(m_remaining, m_pending.size()));
        if (!append(QByteArrayView(m_pending).first(take)))
            return false;
        m_pending.remove(0, take);
        m_remaining -= take;
        if (m_remaining > 0)
            return false;
        if (m_pending.size() < lineEnd.size())
            return false;
        if (!m_pending.startsWith(lineEnd)) {
            fail(State::malformed);
            return false;
        }
        m_pending.remove(0, lineEnd.size());
        m_inChunk = false;
        return true;
    }
    const qsizetype end = m_pending.indexOf(lineEnd);
    if (end < 0) {
        if (m_pending.size() > maxHeaderBytes)
            fail(State::malformed);
        return false;
    }
    // The size in hexadecimal, perhaps followed by extensions after a semicolon.
    QByteArray sizeText = m_pending.left(end);
    if (const qsizetype extensions = sizeText.indexOf(';'); extensions >= 0)
        sizeText.truncate(extensions);
    sizeText = sizeText.trimmed();
    bool ok = false;
    const qint64 size = sizeText.toLongLong(&ok, 16);
    if (!ok || size < 0) {
        fail(State::malformed);
        return false;
    }
    if (size == 0) {
        // The last chunk; trailers, if any, are not needed.
        m_state = State::complete;
        m_pending.clear();
        return false;
    }
    if (size > m_maxBody - m_body.size()) {
        fail(State::tooLarge);
        return false;
    }
    m_pending.remove(0, end + lineEnd.size());
    m_remaining = size;
    m_inChunk = true;
    return true;
}

bool HttpResponseReader::append(QByteArrayView bytes)
{
    if (bytes.size() > m_maxBody - m_body.size()) {
        fail(State::tooLarge);
        return false;
    }
    m_body.append(bytes);
    return true;
}
