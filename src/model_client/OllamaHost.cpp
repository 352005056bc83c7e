// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/OllamaHost.h"

#include "core/Texts.h"
#include "model_client/ModelServerPort.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace OllamaHost {

namespace {

struct HostAndPort
{
    QString host;
    QString port;
};

// "host", "host:port", "[v6]", "[v6]:port" or a bare IPv6 address.
HostAndPort split(const QString& hostPort)
{
    if (hostPort.startsWith(u'[')) {
        const qsizetype close = hostPort.indexOf(u']');
        if (close < 0)
            return {hostPort, {}};
        const QString rest = hostPort.mid(close + 1);
        return {hostPort.mid(1, close - 1), rest.startsWith(u':') ? rest.mid(1) : QString()};
    }
    if (hostPort.count(u':') == 1)
        return {hostPort.section(u':', 0, 0), hostPort.section(u':', 1)};
    return {hostPort, {}};
}

Failure refused(const QString& text)
{
    return Failure(text, ModelServerPort::refusedAddress);
}

} // namespace

bool isThisComputer(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && (address.isLoopback() || address == QHostAddress::AnyIPv4 ||
                                 address == QHostAddress::AnyIPv6);
}

Result<QUrl> baseUrl(const QString& variable)
{
    const QString value = variable.trimmed();
    QString scheme = QStringLiteral("http");
    QString rest = value;
    quint16 port = defaultPort;
    if (const qsizetype separator = value.indexOf(QLatin1String("://")); separator >= 0) {
        scheme = value.left(separator).toLower();
        rest = value.mid(separator + 3);
        if (scheme == QLatin1String("http"))
            port = 80;
        else if (scheme == QLatin1String("https"))
            port = 443;
        else
            return refused(Texts::unreadableOllamaHost(value));
    }
    const QString path = rest.contains(u'/') ? rest.mid(rest.indexOf(u'/')) : QString();
    const HostAndPort parts = split(rest.left(rest.size() - path.size()));
    if (!parts.port.isEmpty()) {
        // Only digits, from 1 to 65535: anything else would send the screenshot to whatever
        // listens at a port that was not meant.
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
        const uint givenPort = parts.port.toUInt();
        if (!digits.match(parts.port).hasMatch() || givenPort < 1 || givenPort > 65535)
            return refused(Texts::unreadableOllamaHost(value));
        port = static_cast<quint16>(givenPort);
    }
    QString host = parts.host.isEmpty() ? QStringLiteral("127.0.0.1") : parts.host;
    if (!isThisComputer(host))
        return refused(Texts::ollamaHostElsewhere(host));
    // The unspecified address means "listen everywhere" to a server; a client reaches it here.
    const QHostAddress address(host);
    if (address == QHostAddress::AnyIPv4)
        host = QStringLiteral("127.0.0.1");
    else if (address == QHostAddress::AnyIPv6)
        host = QStringLiteral("::1");
    QUrl url;
    url.setScheme(scheme);
    url.setHost(host);
    url.setPort(port);
    url.setPath(path == QLatin1String("/") ? QString() : path);
    if (!url.isValid())
        return refused(Texts::unreadableOllamaHost(value));
    return url;
}

} // namespace OllamaHost
