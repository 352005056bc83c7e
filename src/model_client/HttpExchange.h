// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>

class HttpResponseReader;
class QAbstractSocket;

/// One HTTP/1.1 request to a model server on this computer, and its response read as it
/// arrives. The socket is read a piece at a time and dropped the moment the body passes the
/// cap, so a server that sends without end never fills memory. No proxy, no redirects followed
/// (a redirect is an answer like any other), one connection per request. Interim (1xx)
/// responses are passed over. Failures name the server and what it did.
class HttpExchange : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        qint64 maxBodyBytes;
        /// The longest the exchange may go without progress: the request sent, the response's
        /// head, the whole body. Bytes alone are not progress, so a server that trickles a body
        /// out is held to this as one that sends nothing.
        std::chrono::milliseconds idle;
        /// The longest the whole exchange may take.
        std::chrono::milliseconds total;
    };

    struct Response
    {
        int status = 0;
        QByteArray body;
    };

    /// `body` is sent with `contentType` when not empty (a POST), otherwise it is a GET.
    /// `serverName` names the server in failures ("Ollama at 127.0.0.1:11434").
    HttpExchange(QUrl url, QByteArray body, QByteArray contentType, Limits limits,
                 QString serverName, QObject* parent = nullptr);
    ~HttpExchange() override;

    /// Starts the exchange; `finished` is emitted once, on the main thread, when it has ended.
    void start();
    bool isFinished() const { return m_result.has_value(); }
    /// The response, or why there is none (a sentence).
    const Result<Response>& result() const { return *m_result; }
    /// Ends the exchange at once, its connection closed: a request nobody waits for any more.
    void cancel();

    /// The domain of the failure of a cancelled exchange.
    inline static const QString cancelledDomain = QStringLiteral("cancelled");

    /// The final response's body as far as it has arrived.
    const QByteArray& bodySoFar() const;

signals:
    void finished();
    /// More of the final response's body has arrived, and the exchange goes on.
    void bodyGrew();

private:
    void sendRequest();
    void readAvailable();
    void progressed();
    void finish(Result<Response> result);

    QUrl m_url;
    QByteArray m_body;
    QByteArray m_contentType;
    Limits m_limits;
    QString m_serverName;
    std::unique_ptr<QAbstractSocket> m_socket;
    std::unique_ptr<HttpResponseReader> m_reader;
    QTimer m_idle;
    QTimer m_total;
    std::optional<Result<Response>> m_result;
};
