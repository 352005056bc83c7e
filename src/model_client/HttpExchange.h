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
/// (a redirect is an answer like any other), one connection per request.
class HttpExchange : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        qint64 maxBodyBytes;
        /// The longest the server may stay silent.
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
    HttpExchange(QUrl url, QByteArray body, QByteArray contentType, Limits limits,
                 QObject* parent = nullptr);
    ~HttpExchange() override;

    /// Starts the exchange; `finished` is emitted once, on the main thread, when it has ended.
    void start();
    bool isFinished() const { return m_result.has_value(); }
    /// The response, or why there is none (a sentence).
    const Result<Response>& result() const { return *m_result; }

signals:
    void finished();

private:
    void sendRequest();
    void readAvailable();
    void finish(Result<Response> result);

    QUrl m_url;
    QByteArray m_body;
    QByteArray m_contentType;
    Limits m_limits;
    std::unique_ptr<QAbstractSocket> m_socket;
    std::unique_ptr<HttpResponseReader> m_reader;
    QTimer m_idle;
    QTimer m_total;
    std::optional<Result<Response>> m_result;
};
