// SPDX-License-Identifier: GPL-3.0-or-later
// Cuewell trusts only GNOME Shell with its extension's bus name: a program that takes the name
// (to be shown Cuewell's cards, or to feed it windows) is never subscribed to, whatever it
// answers. Runs its own D-Bus daemon as the session bus.
#include "PrivateBus.h"
#include "platform/linux/gnome/GnomeShellConnection.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTest>

namespace {

// Answers everything as the real extension would: subscribed, the hot key taken, one window.
class Impostor : public QDBusVirtualObject
{
public:
    int questions = 0;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        ++questions;
        QDBusArgument windows;
        windows.beginArray(qMetaTypeId<GnomeShellWindow>());
        GnomeShellWindow w;
        w.id = 7;
        w.pid = 1234;
        w.focused = true;
        w.frame = w.buffer = QRect(0, 0, 100, 100);
        windows << w;
        windows.endArray();
        connection.send(message.createReply({true, QVariant::fromValue(windows)}));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};

} // namespace

class GnomeShellImpostorTest : public QObject
{
    Q_OBJECT

    PrivateBus m_session;

private slots:
    void initTestCase()
    {
        QVERIFY(!m_session.address().isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_session.address().toUtf8());
    }

    void aNameNotHeldByGnomeShellIsNeverSubscribedTo()
    {
        QDBusConnection impostorBus =
            QDBusConnection::connectToBus(m_session.address(), QStringLiteral("impostor"));
        Impostor impostor;
        QVERIFY(impostorBus.registerVirtualObject(GnomeShellConnection::path, &impostor));
        QVERIFY(impostorBus.registerService(GnomeShellConnection::service));

        GnomeShellConnection shell;
        QVERIFY(!shell.subscribe(std::chrono::seconds(2)));
        QVERIFY(!shell.isSubscribed());
        QVERIFY(!shell.hotKeyTaken());
        QVERIFY(shell.windows().isEmpty());

        // Taking the name again (as a restarted shell would) is not let in either.
        QVERIFY(impostorBus.unregisterService(GnomeShellConnection::service));
        QVERIFY(impostorBus.registerService(GnomeShellConnection::service));
        QTest::qWait(500);
        QVERIFY(!shell.isSubscribed());
        QCOMPARE(impostor.questions, 0);
        QDBusConnection::disconnectFromBus(QStringLiteral("impostor"));
    }
};

QTEST_GUILESS_MAIN(GnomeShellImpostorTest)
#include "GnomeShellImpostorTest.moc"
