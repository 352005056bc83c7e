// SPDX-License-Identifier: GPL-3.0-or-later
// The session's accessibility bus as Cuewell meets it: a bus that hangs never freezes the
// panel, and a bus that restarts is found again. Runs its own D-Bus daemons.
#include "PrivateBus.h"
#include "platform/linux/atspi/AtspiBus.h"
#include "platform/linux/atspi/AtspiChangeWatch.h"
#include "platform/linux/atspi/LinuxPermissions.h"

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

// Stands in for the accessibility bus's registry: keeps the events listeners register.
class StandInRegistry : public QDBusVirtualObject
{
public:
    QStringList registered;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QString event = message.arguments().value(0).toString();
        if (message.member() == QLatin1String("RegisterEvent"))
            registered.append(event);
        else if (message.member() == QLatin1String("DeregisterEvent"))
            registered.removeOne(event);
        connection.send(message.createReply());
        return true;
    }

    QString introspect(const QString&) const override { return {}; }
};

// Connecting waits for the session bus, so it is done off this thread, as reads are.
QDBusConnection connectOffThread()
{
    QFuture<QDBusConnection> connecting = QtConcurrent::run(&AtspiBus::connection);
    if (!QTest::qWaitFor([&] { return connecting.isFinished(); }, 5000))
        return QDBusConnection(QString());
    return connecting.result();
}

// An event as applications send them: detail, two numbers, a value and properties.
void say(QDBusConnection& application, const QString& interface, const QString& member,
         const QString& detail, int detail1 = 0)
{
    QDBusMessage event = QDBusMessage::createSignal(QStringLiteral("/org/a11y/atspi/accessible/1"),
                                                    interface, member);
    event.setArguments({detail, detail1, 0, QVariant::fromValue(QDBusVariant(0)), QVariantMap()});
    application.send(event);
}

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
        LinuxPermissions permissions([] { return false; }, LinuxPermissions::x11Advice());
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

    // While an application is watched, what it says about its interface is heard, sorted into
    // something appearing and other changes; other applications are not heard, and the events
    // are registered with the registry only while watching.
    void anApplicationIsHeardOnlyWhileWatched()
    {
        m_standIn.hung = false;
        PrivateBus accessibility;
        m_standIn.address = accessibility.address();
        QDBusConnection bus = connectOffThread();
        QVERIFY(bus.isConnected());
        StandInRegistry registry;
        QDBusConnection registryConnection =
            QDBusConnection::connectToBus(accessibility.address(), QStringLiteral("registry"));
        QVERIFY(registryConnection.registerService(QStringLiteral("org.a11y.atspi.Registry")));
        QVERIFY(registryConnection.registerVirtualObject(QStringLiteral("/org/a11y/atspi/registry"),
                                                         &registry));
        QDBusConnection target =
            QDBusConnection::connectToBus(accessibility.address(), QStringLiteral("target"));
        QDBusConnection other =
            QDBusConnection::connectToBus(accessibility.address(), QStringLiteral("other"));
        const QString targetName = target.baseService();
        const QString otherName = other.baseService();
        AtspiChangeWatch watch([&](const QString& service) -> std::optional<qint64> {
            if (service == targetName)
                return 4242;
            if (service == otherName)
                return 77;
            return std::nullopt;
        });
        QList<AXChange> heard;
        watch.watch(4242, [&heard](AXChange change) { heard.append(change); });
        QTRY_COMPARE(registry.registered.size(), AtspiChangeWatch::registeredEvents.size());

        const QString object = QStringLiteral("org.a11y.atspi.Event.Object");
        const QString window = QStringLiteral("org.a11y.atspi.Event.Window");
        say(other, window, QStringLiteral("Create"), QString());
        say(target, object, QStringLiteral("StateChanged"), QStringLiteral("showing"), 1);
        say(target, object, QStringLiteral("StateChanged"), QStringLiteral("focused"), 1);
        say(target, object, QStringLiteral("ChildrenChanged"), QStringLiteral("add"));
        say(target, object, QStringLiteral("ChildrenChanged"), QStringLiteral("remove"));
        say(target, object, QStringLiteral("StateChanged"), QStringLiteral("showing"), 0);
        say(target, object, QStringLiteral("TextChanged"), QStringLiteral("insert"));
        say(target, window, QStringLiteral("Activate"), QString());
        const QList<AXChange> expected{AXChange::appeared, AXChange::changed, AXChange::appeared,
                                       AXChange::changed,  AXChange::changed, AXChange::appeared};
        QTRY_COMPARE(heard, expected);

        // A sender not known yet is heard once the bus has said whose it is (this process's).
        watch.watch(QCoreApplication::applicationPid(),
                    [&heard](AXChange change) { heard.append(change); });
        heard.clear();
        QDBusConnection newcomer =
            QDBusConnection::connectToBus(accessibility.address(), QStringLiteral("newcomer"));
        say(newcomer, window, QStringLiteral("Create"), QString());
        QTRY_COMPARE(heard, QList<AXChange>{AXChange::appeared});

        watch.watch(0, nullptr);
        QTRY_VERIFY(registry.registered.isEmpty());
        say(target, window, QStringLiteral("Create"), QString());
        QTest::qWait(200);
        QCOMPARE(heard.size(), 1);
        for (const QString& name : {QStringLiteral("registry"), QStringLiteral("target"),
                                    QStringLiteral("other"), QStringLiteral("newcomer")})
            QDBusConnection::disconnectFromBus(name);
    }
};

QTEST_GUILESS_MAIN(AccessibilityBusTest)
#include "AccessibilityBusTest.moc"
