// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

/// A D-Bus daemon of the test's own, ended with it.
class PrivateBus
{
public:
    PrivateBus()
    {
        m_process.start(QStringLiteral("dbus-daemon"),
                        {QStringLiteral("--session"), QStringLiteral("--nofork"),
                         QStringLiteral("--print-address=1")});
        if (m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000))
            m_address = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~PrivateBus() { stop(); }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    void stop()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QString address() const { return m_address; }

private:
    QProcess m_process;
    QString m_address;
};
