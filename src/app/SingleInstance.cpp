// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include <QLocalSocket>
#include <QStandardPaths>

namespace {
constexpr int connectTimeoutMs = 500;
// A request is one short line; a peer that sends more is not Cuewell.
constexpr qint64 longestRequest = 16;
const QByteArray openLine = QByteArrayLiteral("open\n");
const QByteArray quitLine = QByteArrayLiteral("quit\n");
} // namespace

// The socket lives in the user's own runtime folder (mode 0700), where no other user can
// create it first; one per display, so each desktop session has its Cuewell.
SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent), m_name(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                              QStringLiteral("/cuewell-") +
                              QString::fromLocal8Bit(qgetenv("DISPLAY")).remove(u':').remove(u'/'))
{
}

bool SingleInstance::forwardToRunning(Request request)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    if (request == Request::none)
        return true;
    socket.write(request == Request::quit ? quitLine : openLine);
    const bool sent = socket.waitForBytesWritten(connectTimeoutMs);
    socket.disconnectFromServer();
    return sent;
}

void SingleInstance::listen(std::function<void(Request)> onRequest)
{
    // A server left behind by a crashed Cuewell would refuse the name.
    QLocalServer::removeServer(m_name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_name);
    connect(&m_server, &QLocalServer::newConnection, this, [this, onRequest] {
        while (QLocalSocket* peer = m_server.nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, peer, [peer, onRequest] {
                while (peer->canReadLine()) {
                    const QByteArray line = peer->readLine(longestRequest + 1);
                    if (line == quitLine)
                        onRequest(Request::quit);
                    else if (line == openLine)
                        onRequest(Request::open);
                }
                if (peer->bytesAvailable() > longestRequest)
                    peer->abort();
            });
        }
    });
}
