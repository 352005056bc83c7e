// SPDX-License-Identifier: GPL-3.0-or-later
// The session's accessibility bus as Cuewell meets it: a bus that hangs never freezes the
// panel, and a bus that restarts is found again. Runs its own D-Bus daemons.
#include "PrivateBus.h"
#include "platform/linux/AtspiBus.h"
#include "platform/linux/LinuxPermissions.h"
#include "platform/linux/X11Windows.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>
#include <utility>

namespace {

// Stands in for the session's org.a11y.Bus: answers where the accessibility bus is and that
// accessibility is on, or holds every question unanswered while it is hung.
class StandInA11yBus : public QDBusVirtualObject
{
public:
    bool hung = false;
    QString address;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        m_connection = connection;
        message.setDelayedReply(true);
        m_held.append(message);
        if (!hung)
            answerAll();
        return true;
    }

    QString introspect(const QString&) const override { return {}; }

    void answerAll()
    {
        for (const QDBusMessage& question : std::exchange(m_held, {})) {
            const QVariant answer = question.member() == QLatin1String("GetAddress")
                                        ? QVariant(address)
                                        : QVariant::fromValue(QDBusVariant(true));
            m_connection.send(question.createReply(answer));
        }
    }

    qsizetype held() const { return m_held.size(); }

private:
    QDBusConnection m_connection{QString()};
    QList<QDBusMessage> m_held;
};

} // namespace

class AccessibilityBusTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<PrivateBus> m_session;
    StandInA11yBus m_standIn;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_session = std::make_unique<PrivateBus>();
        QVERIFY(!m_session->address().isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_session->address().toUtf8());
        QDBusConnection service =
            QDBusConnection::connectToBus(m_session->address(), QStringLiteral("stand-in"));
        QVERIFY(service.registerService(QStringLiteral("org.a11y.Bus")));
        QVERIFY(service.registerVirtualObject(QStringLiteral("/org/a11y/bus"), &m_standIn));
    }

    void aHungBusLeavesTheAnswerStandingWithoutWaiting()
    {
        m_standIn.hung = true;
        m_standIn.address = m_session->address();
        X11Windows noDisplay;
        LinuxPermissions permissions(noDisplay);
        int changes = 0;
        permissions.onChanged([&changes] { ++changes; });

        // Asked while the bus holds its questions: the answer comes at once, from what is known.
        QVERIFY(!permissions.mayReadAccessibility());
        QVERIFY(permissions.isChecking());
        QTRY_COMPARE(m_standIn.held(), 2);
        QVERIFY(!permissions.mayReadAccessibility()); // asking again adds no question
        QCOMPARE(m_standIn.held(), 2);

        // When the bus answers after all, the new answer is taken and announced.
        m_standIn.answerAll();
        QTRY_COMPARE(changes, 1);
        QVERIFY(permissions.mayReadAccessibility());
        m_standIn.hung = false;
    }

    void aRestartedAccessibilityBusIsFoundAgain()
    {
        // Connecting waits for the session bus, so it is done off this thread, as reads are.
        const auto connectOffThread = [] {
            QFuture<QDBusConnection> connecting = QtConcurrent::run(&AtspiBus::connection);
            if (!QTest::qWaitFor([&] { return connecting.isFinished(); }, 5000))
                return QDBusConnection(QString());
            return connecting.result();
        };
        m_standIn.hung = false;
        auto first = std::make_unique<PrivateBus>();
        m_standIn.address = first->address();
        QVERIFY(connectOffThread().isConnected());

        first.reset(); // the accessibility bus goes away...
        QTRY_VERIFY(!QDBusConnection(QStringLiteral("cuewell-a11y")).isConnected());
        PrivateBus second; // ...and comes back elsewhere
        m_standIn.address = second.address();
        QVERIFY(connectOffThread().isConnected());
    }
};

QTEST_GUILESS_MAIN(AccessibilityBusTest)
#include "AccessibilityBusTest.moc"
