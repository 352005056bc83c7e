// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include <QLocalSocket>
#include <QStandardPaths>

namespace {
constexpr int connectTimeoutMs = 500;
} // namespace

// The socket lives in the user's own runtime folder (mode 0700), where no other user can
// create it first; one per display, so each desktop session has its Cuewell.
SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent), m_name(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                              QStringLiteral("/cuewell-") +
                              QString::fromLocal8Bit(qgetenv("DISPLAY")).remove(u':').remove(u'/'))
{
}

bool SingleInstance::forwardToRunning()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write("open\n");
    socket.waitForBytesWritten(connectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::listen(std::function<void()> onOpen)
{
    // A server left behind by a crashed Cuewell would refuse the name.
    QLocalServer::removeServer(m_name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_name);
    connect(&m_server, &QLocalServer::newConnection, this, [this, onOpen] {
        while (QLocalSocket* peer = m_server.nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            onOpen();
        }
    });
}
