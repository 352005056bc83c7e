// SPDX-License-Identifier: GPL-3.0-or-later
// Why the model client keeps its own HTTP reader: Qt's QNetworkAccessManager, set up as the model
// client would use it (no proxy, no redirects, no HTTP/2, identity encoding, a 256 KiB cap counted
// in readyRead with abort(), an idle timer restarted only on progress), against the scripted
// hostile servers the wire tests use. One line per case: how the request ended, how long it took,
// what the server got to write, whether and when the connection was closed; the peak memory after
// floods. `qt_http_hostile [case ...]` runs the cases named (a, b, c, c2, d ... p3); none runs all.
// PROBE_LONG_MS sets the longer limits of the flood cases.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

constexpr qint64 capBytes = 256 * 1024;

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QByteArray procStatus(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key) + 1).simplified();
    return "?";
}

// What the scripted server does once the request has arrived.
struct Script
{
    QByteArray opening{}; // written at once
    QByteArray drip{};    // then this every dripMs
    int dripMs = 0;
    bool closeAfterOpening = false;
    enum Flood
    {
        none,
        chunked,
        raw,
        repeat
    } flood = none;
    QByteArray floodUnit{}; // for `repeat`: repeated to fill each piece
    qint64 floodTotal = 0;  // payload bytes at most
};

// Lives in its own thread, as a real server has a process of its own.
class Server : public QObject
{
public:
    explicit Server(Script s) : m_script(std::move(s))
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            ++connections;
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray in = socket->readAll();
                if (firstRequest.isEmpty())
                    firstRequest = in;
                requests += in.count("POST /");
                if (socket->property("answered").toBool())
                    return; // each connection's first request is answered, once
                socket->setProperty("answered", true);
                send(socket, m_script.opening);
                if (m_script.closeAfterOpening) {
                    socket->disconnectFromHost(); // flushes, then FIN
                    return;
                }
                if (!m_script.drip.isEmpty()) {
                    auto* t = new QTimer(socket);
                    connect(t, &QTimer::timeout, socket, [this, socket] {
                        if (socket->state() == QAbstractSocket::ConnectedState)
                            send(socket, m_script.drip);
                    });
                    t->start(m_script.dripMs);
                }
                if (m_script.flood != Script::none)
                    floodMore(socket);
            });
            connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket](qint64 n) {
                written += n;
                if (m_script.flood != Script::none && socket->bytesToWrite() == 0)
                    floodMore(socket);
            });
            connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                closedAtNs = nowNs();
                ++closes;
                leftInBuffer = socket->bytesToWrite();
            });
        });
    }
    quint16 port() const { return m_server.serverPort(); }

    std::atomic<qint64> written{0};     // bytes the kernel accepted from the server
    std::atomic<qint64> queued{0};      // bytes the server handed to QTcpSocket::write
    std::atomic<qint64> closedAtNs{-1}; // when the server saw the connection end
    std::atomic<qint64> leftInBuffer{0};
    std::atomic<int> connections{0};
    std::atomic<int> closes{0};
    std::atomic<int> requests{0};
    QByteArray firstRequest;

private:
    void send(QTcpSocket* socket, const QByteArray& bytes)
    {
        queued += bytes.size();
        socket->write(bytes);
    }
    void floodMore(QTcpSocket* socket)
    {
        constexpr qint64 piece = 64 * 1024;
        qint64& m_floodSent = m_sent[socket];
        if (m_floodSent >= m_script.floodTotal ||
            socket->state() != QAbstractSocket::ConnectedState)
            return;
        m_floodSent += piece;
        switch (m_script.flood) {
        case Script::chunked:
            send(socket, QByteArray::number(piece, 16) + "\r\n" + QByteArray(piece, ' ') + "\r\n");
            break;
        case Script::raw:
            send(socket, QByteArray(piece, ' '));
            break;
        case Script::repeat:
            send(socket, m_script.floodUnit.repeated(piece / m_script.floodUnit.size()));
            break;
        case Script::none:
            break;
        }
    }

    QTcpServer m_server;
    Script m_script;
    QHash<QTcpSocket*, qint64> m_sent;
};

std::atomic<qint64>* serverWritten = nullptr; // the running case's server counter

struct Limits
{
    int idleMs;
    int totalMs;
    int cancelMs = -1;            // cancel (reply->abort()) after this long; -1 never
    bool connectionClose = false; // send "Connection: close" (a variant, not the base setup)
    bool checkLength = false;     // a variant: refuse an announced Content-Length over the cap
    bool noCache = false;         // ConnectionCacheExpiryTimeoutSecondsAttribute = 0 (a variant)
};

struct Outcome
{
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorString;
    int status = 0;
    QByteArray body;
    qint64 bodyBytes = 0;
    QString endedBy = QStringLiteral("qt"); // qt | idle | total | cap | cancel
    qint64 startNs = 0, endNs = 0;
    bool headSeen = false;
    qint64 serverWrittenAtEnd = -1;
    QByteArray headers;
};

// The client as the product would configure it.
Outcome ask(QNetworkAccessManager& nam, quint16 port, Limits limits)
{
    Outcome out;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/api/chat").arg(port)));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setRawHeader("Accept-Encoding", "identity");
    request.setRawHeader("Accept", "application/json");
    if (limits.noCache)
        request.setAttribute(QNetworkRequest::ConnectionCacheExpiryTimeoutSecondsAttribute, 0);
    if (limits.connectionClose)
        request.setRawHeader("Connection", "close");
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));

    QEventLoop loop;
    QTimer idle, total, cancel;
    idle.setSingleShot(true);
    total.setSingleShot(true);
    cancel.setSingleShot(true);

    out.startNs = nowNs();
    QNetworkReply* reply = nam.post(request, QByteArray(R"({"model":"m","stream":false})"));
    reply->setReadBufferSize(capBytes);

    auto end = [&](const char* why) {
        if (out.endNs)
            return;
        out.endedBy = QString::fromLatin1(why);
        reply->abort();
    };
    auto progressed = [&] { idle.start(limits.idleMs); };
    QObject::connect(&idle, &QTimer::timeout, [&] { end("idle"); });
    QObject::connect(&total, &QTimer::timeout, [&] { end("total"); });
    QObject::connect(&cancel, &QTimer::timeout, [&] { end("cancel"); });
    QObject::connect(reply, &QNetworkReply::uploadProgress, [&](qint64 sent, qint64 all) {
        if (all > 0 && sent == all)
            progressed();
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, [&] {
        out.headSeen = true;
        progressed();
        if (limits.checkLength &&
            reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > capBytes)
            end("length");
    });
    QObject::connect(reply, &QNetworkReply::readyRead, [&] {
        while (!out.endNs && reply->bytesAvailable() > 0) {
            const QByteArray piece = reply->read(capBytes);
            out.bodyBytes += piece.size();
            if (out.body.size() + piece.size() > capBytes)
                return end("cap");
            out.body += piece;
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, [&] {
        out.endNs = nowNs();
        out.serverWrittenAtEnd = serverWritten->load();
        idle.stop();
        total.stop();
        cancel.stop();
        out.error = reply->error();
        out.errorString = reply->errorString();
        out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        for (const auto& [k, v] : reply->rawHeaderPairs())
            out.headers += k + ": " + v + "; ";
        if (out.endedBy == QLatin1String("qt")) {
            const QByteArray rest = reply->readAll();
            out.bodyBytes += rest.size();
            out.body += rest;
        }
        loop.quit();
    });
    idle.start(limits.idleMs);
    total.start(limits.totalMs);
    if (limits.cancelMs >= 0)
        cancel.start(limits.cancelMs);
    loop.exec();
    reply->deleteLater();
    return out;
}

// Runs the event loop until `done` or `ms` have passed, checking every 5 ms (no busy wait).
void waitFor(const std::function<bool()>& done, int ms)
{
    if (done())
        return;
    QEventLoop loop;
    QTimer tick, limit;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start(5);
    limit.start(ms);
    loop.exec();
}

bool printedRequest = false;

void runCase(const char* name, Script script, Limits limits)
{
    QThread serving;
    QObject home;
    home.moveToThread(&serving);
    serving.start();
    Server* server = nullptr;
    QMetaObject::invokeMethod(
        &home, [&] { server = new Server(script); }, Qt::BlockingQueuedConnection);

    serverWritten = &server->written;
    Outcome out;
    QString closedLater = QStringLiteral("-");
    {
        QNetworkAccessManager nam;
        nam.setProxy(QNetworkProxy::NoProxy);
        out = ask(nam, server->port(), limits);
        // Did the server see the connection end, and how long after the reply ended?
        waitFor([&] { return server->closedAtNs >= 0; }, 3000);
        if (server->closedAtNs < 0) {
            QCoreApplication::processEvents(); // the reply's deleteLater
        }
    } // the manager is gone here: its idle connections with it
    if (server->closedAtNs < 0) {
        waitFor([&] { return server->closedAtNs >= 0; }, 30'000);
        closedLater = server->closedAtNs >= 0 ? QStringLiteral("yes, once the manager was deleted")
                                              : QStringLiteral("no, not even then");
    }
    const qint64 closedAt = server->closedAtNs;
    const qint64 closedMs = closedAt < 0 ? -1 : (closedAt - out.endNs) / 1'000'000;
    QByteArray shown = out.body.left(40);
    shown.replace("\r", "\\r").replace("\n", "\\n");
    std::printf("%s | error=%s(%d) \"%s\" | status=%d | endedBy=%s | head=%s | elapsed=%lld ms | "
                "body=%lld B \"%s\" headers=[%s] | server queued=%lld B written=%lld B (at reply "
                "end %lld B) leftUnsent=%lld B conns=%d closes=%d requests=%d "
                "| serverSawClose=%s (%lld ms after end) | VmHWM=%s VmRSS=%s\n",
                name, QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(out.error),
                int(out.error), qPrintable(out.errorString), out.status, qPrintable(out.endedBy),
                out.headSeen ? "yes" : "no", (long long)((out.endNs - out.startNs) / 1'000'000),
                (long long)out.bodyBytes, shown.constData(), out.headers.left(80).constData(),
                (long long)server->queued.load(), (long long)server->written.load(),
                (long long)out.serverWrittenAtEnd, (long long)server->leftInBuffer.load(),
                server->connections.load(), server->closes.load(), server->requests.load(),
                qPrintable(closedLater != QLatin1String("-") ? closedLater
                           : closedAt >= 0                   ? QStringLiteral("yes")
                                                             : QStringLiteral("no")),
                (long long)closedMs, procStatus("VmHWM:").constData(),
                procStatus("VmRSS:").constData());
    if (!printedRequest && !server->firstRequest.isEmpty()) {
        printedRequest = true;
        QByteArray r = server->firstRequest;
        r.replace("\r\n", "\\r\\n");
        std::printf("   (request as the server received it: %s)\n", r.constData());
    }
    std::fflush(stdout);
    QMetaObject::invokeMethod(
        &home, [&] { delete server; }, Qt::BlockingQueuedConnection);
    serving.quit();
    serving.wait();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList only = app.arguments().mid(1);
    auto want = [&](const char* name) {
        return only.isEmpty() ||
               only.contains(QString::fromLatin1(name).section(QLatin1Char(' '), 0, 0));
    };
    const Limits trickle{400, 60'000};
    const Limits normal{2'000, 5'000};
    const int longMs = qEnvironmentVariableIntValue("PROBE_LONG_MS") > 0
                           ? qEnvironmentVariableIntValue("PROBE_LONG_MS")
                           : 10'000;
    const Limits longer{longMs, longMs}; // only Qt or the cap end these
    const QByteArray answer = R"({"message": {"content": "{\"id\": 1}"}})";
    using S = Script;

    std::printf("start VmHWM=%s\n", procStatus("VmHWM:").constData());
    if (want("a"))
        runCase("a trickle", {"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n{", " ", 20},
                trickle);
    if (want("b"))
        runCase("b trickle-chunked",
                {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "1\r\n \r\n", 20},
                trickle);
    if (want("c"))
        runCase("c headers-without-end", {"HTTP/1.1 200 OK\r\n", "X-A: b\r\n", 20}, trickle);
    if (want("c2")) {
        S s{"HTTP/1.1 200 OK\r\n"};
        s.flood = S::repeat;
        s.floodUnit = "X-A: b\r\n";
        s.floodTotal = 64ll * 1024 * 1024;
        runCase("c2 headers-without-end-fast", s, longer);
    }
    if (want("d"))
        runCase("d 100+103+200",
                {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: x\r\n\r\n"
                 "HTTP/1.1 200 OK\r\nContent-Length: " +
                 QByteArray::number(answer.size()) + "\r\n\r\n" + answer},
                normal);
    if (want("p"))
        runCase("p plain-200-exact-length",
                {"HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(answer.size()) +
                 "\r\n\r\n" + answer},
                normal);
    if (want("p2")) {
        Limits l = normal;
        l.connectionClose = true;
        runCase("p2 plain-200-with-Connection-close",
                {"HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(answer.size()) +
                 "\r\n\r\n" + answer},
                l);
    }
    if (want("p3")) {
        Limits l = normal;
        l.noCache = true;
        runCase("p3 plain-200-cache-expiry-0",
                {"HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(answer.size()) +
                 "\r\n\r\n" + answer},
                l);
    }
    if (want("e"))
        runCase("e 5000x100-continue", {QByteArray("HTTP/1.1 100 Continue\r\n\r\n").repeated(5000)},
                normal);
    if (want("f"))
        runCase("f 101", {"HTTP/1.1 101 Switching Protocols\r\nUpgrade: x\r\n\r\n"}, normal);
    if (want("g"))
        runCase("g 302",
                {"HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\nContent-Length: 9\r\n\r\n"
                 "<a>gone</a>"},
                normal);
    if (want("h"))
        runCase("h chunk-size-7fffffffffffffff",
                {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffffffffffff\r\n",
                 QByteArray(1024, 'x'), 10},
                longer);
    if (want("h2"))
        runCase("h2 chunk-size-40001",
                {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n40001\r\n",
                 QByteArray(1024, 'x'), 10},
                longer);
    if (want("j"))
        runCase("j garbage-kept-open", {"SSH-2.0-OpenSSH_9\r\n"}, normal);
    if (want("j2")) {
        S s{"SSH-2.0-OpenSSH_9\r\n"};
        s.closeAfterOpening = true;
        runCase("j2 garbage-then-close", s, normal);
    }
    if (want("k"))
        runCase("k never-answers-cancel-200ms", {}, {10'000, 10'000, 200});
    if (want("l")) {
        S s{"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n0123456789"};
        s.closeAfterOpening = true;
        runCase("l closed-mid-body", s, normal);
    }
    if (want("n"))
        runCase(
            "n stall-after-headers(CL 100)",
            {"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 100\r\n\r\n"},
            {500, 2'000});
    if (want("o")) {
        S s{"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
            "17825792\r\n\r\n"};
        s.flood = S::raw;
        s.floodTotal = 17ll * 1024 * 1024;
        runCase("o content-length-17MiB", s, normal);
    }
    if (want("o2")) {
        S s{"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
            "17825792\r\n\r\n"};
        s.flood = S::raw;
        s.floodTotal = 17ll * 1024 * 1024;
        Limits l = normal;
        l.checkLength = true;
        runCase("o2 content-length-17MiB-checked-in-metaDataChanged", s, l);
    }
    std::printf("before floods VmHWM=%s\n", procStatus("VmHWM:").constData());
    if (want("i")) {
        S s{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Type: "
            "application/json\r\n\r\n"};
        s.flood = S::chunked;
        s.floodTotal = 64ll * 1024 * 1024;
        runCase("i endless-chunked-64MiB", s, longer);
    }
    if (want("i2")) {
        S s{"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Type: application/json\r\n\r\n"};
        s.flood = S::raw;
        s.floodTotal = 64ll * 1024 * 1024;
        runCase("i2 endless-until-close-64MiB", s, longer);
    }
    if (want("m")) {
        S s{"HTTP/1.1 200 OK\r\nX-Big: "};
        s.flood = S::repeat;
        s.floodUnit = "a";
        s.floodTotal = 10ll * 1024 * 1024;
        runCase("m 10MiB-header-line", s, longer);
    }
    std::printf("end VmHWM=%s\n", procStatus("VmHWM:").constData());
    return 0;
}
