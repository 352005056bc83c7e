// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/HttpExchange.h"

#include "core/Texts.h"
#include "model_client/HttpResponseReader.h"
#include "model_client/ModelClientLog.h"

#include <QNetworkProxy>
#include <QSslSocket>
#include <QTcpSocket>

namespace {

// Read no more than this at a time, so the cap is checked between reads.
constexpr qint64 readPieceBytes = 256 * 1024;

} // namespace

HttpExchange::HttpExchange(QUrl url, QByteArray body, QByteArray contentType, Limits limits,
                           QString serverName, QObject* parent)
    : QObject(parent), m_url(std::move(url)), m_body(std::move(body)),
      m_contentType(std::move(contentType)), m_limits(limits), m_serverName(std::move(serverName)),
      m_reader(std::make_unique<HttpResponseReader>(limits.maxBodyBytes))
{
    m_idle.setSingleShot(true);
    m_total.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this,
            [this] { finish(Failure(Texts::serverSilent(m_serverName, m_limits.idle.count()))); });
    // A server that answers nothing at all was silent, whichever limit came first.
    connect(&m_total, &QTimer::timeout, this, [this] {
        finish(Failure(m_limits.idle >= m_limits.total
                           ? Texts::serverSilent(m_serverName, m_limits.idle.count())
                           : Texts::serverTooSlow(m_serverName, m_limits.total.count())));
    });
}

// A socket still connected says so as it goes; by then the reader is gone, so it is not heard.
HttpExchange::~HttpExchange()
{
    if (m_socket)
        m_socket->disconnect(this);
}

void HttpExchange::start()
{
    const bool secure = m_url.scheme() == QLatin1String("https");
    if (secure)
        m_socket = std::make_unique<QSslSocket>();
    else
        m_socket = std::make_unique<QTcpSocket>();
    m_socket->setProxy(QNetworkProxy::NoProxy);
    // Qt's own buffer is bounded too: the socket holds no more than a piece unread.
    m_socket->setReadBufferSize(readPieceBytes);
    QAbstractSocket* socket = m_socket.get();
    connect(socket, &QAbstractSocket::readyRead, this, &HttpExchange::readAvailable);
    connect(socket, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        if (e == QAbstractSocket::RemoteHostClosedError) {
            readAvailable();
            if (m_reader->connectionClosed() == HttpResponseReader::State::complete)
                return finish(Response{m_reader->status(), m_reader->body()});
            return finish(Failure(Texts::serverClosed(m_serverName)));
        }
        qCDebug(lcModelClient) << "request to" << m_url.path() << "ended:" << e;
        // Nothing listening is said as the system says it: it means there is no server.
        finish(Failure(e == QAbstractSocket::ConnectionRefusedError
                           ? m_socket->errorString()
                           : Texts::serverUnreachable(m_serverName, m_socket->errorString())));
    });
    connect(socket, &QAbstractSocket::disconnected, this, [this] {
        readAvailable();
        if (isFinished())
            return;
        if (m_reader->connectionClosed() == HttpResponseReader::State::complete)
            finish(Response{m_reader->status(), m_reader->body()});
        else
            finish(Failure(Texts::serverClosed(m_serverName)));
    });
    m_idle.start(m_limits.idle);
    m_total.start(m_limits.total);
    const quint16 port = static_cast<quint16>(m_url.port(secure ? 443 : 80));
    if (secure) {
        auto* ssl = static_cast<QSslSocket*>(socket);
        connect(ssl, &QSslSocket::encrypted, this, &HttpExchange::sendRequest);
        ssl->connectToHostEncrypted(m_url.host(), port);
    } else {
        connect(socket, &QAbstractSocket::connected, this, &HttpExchange::sendRequest);
        socket->connectToHost(m_url.host(), port);
    }
}

void HttpExchange::sendRequest()
{
    const bool post = !m_body.isEmpty();
    QByteArray path = m_url.path(QUrl::FullyEncoded).toUtf8();
    if (path.isEmpty())
        path = "/";
    QByteArray head = (post ? "POST " : "GET ") + path +
                      " HTTP/1.1\r\nHost: " + m_url.host(QUrl::FullyEncoded).toUtf8() + ':' +
                      QByteArray::number(m_url.port()) +
                      "\r\nAccept: application/json\r\nConnection: close\r\n";
    if (post) {
        head += "Content-Type: " + m_contentType +
                "\r\nContent-Length: " + QByteArray::number(m_body.size()) + "\r\n";
    }
    m_socket->write(head + "\r\n");
    if (post)
        m_socket->write(m_body);
    progressed();
}

void HttpExchange::progressed()
{
    m_idle.start(m_limits.idle);
}

void HttpExchange::cancel()
{
    finish(Failure(Texts::requestStopped(), cancelledDomain));
}

const QByteArray& HttpExchange::bodySoFar() const
{
    return m_reader->body();
}

void HttpExchange::readAvailable()
{
    const qsizetype bodyBefore = m_reader->body().size();
    while (!isFinished() && m_socket->bytesAvailable() > 0) {
        const bool headBefore = m_reader->headRead();
        switch (m_reader->feed(m_socket->read(readPieceBytes))) {
        case HttpResponseReader::State::reading:
            if (!headBefore && m_reader->headRead())
                progressed();
            break;
        case HttpResponseReader::State::complete:
            return finish(Response{m_reader->status(), m_reader->body()});
        case HttpResponseReader::State::tooLarge:
            return finish(
                Failure(Texts::serverAnswerTooLarge(m_serverName, m_limits.maxBodyBytes)));
        case HttpResponseReader::State::malformed:
            return finish(Failure(Texts::serverNotHttp(m_serverName)));
        }
    }
    if (!isFinished() && m_reader->headRead() && m_reader->body().size() != bodyBefore)
        emit bodyGrew();
}

void HttpExchange::finish(Result<Response> result)
{
    if (isFinished())
        return;
    m_result = std::move(result);
    m_idle.stop();
    m_total.stop();
    // The connection is dropped at once: nothing more is read from a server that overran.
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    emit finished();
}
