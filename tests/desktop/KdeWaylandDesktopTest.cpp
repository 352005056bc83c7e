// SPDX-License-Identifier: GPL-3.0-or-later
// Cuewell on KDE Plasma on Wayland, as a person has it: a headless KWin, Cuewell granted
// window capture by its installed launcher entry, real applications as Wayland clients, a
// model server on this machine that names the right control at each step, the hot key, a typed
// goal, and then only clicks at the rings, through the ring into the application. Driven from
// outside with KWin's fake input (tests/desktop/run-on-kde-wayland.sh).
#include "CuewellLaunch.h"
#include "DesktopApp.h"
#include "FakeModelHttpServer.h"
#include "KWinLab.h"
#include "ScreenReader.h"
#include "core/Texts.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/atspi/CompositorAtspiGeometry.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

class KdeWaylandDesktopTest : public QObject
{
    Q_OBJECT

    KWinLab m_lab;
    AtspiAccessibility m_accessibility{
        std::make_unique<CompositorAtspiGeometry>([this] { return m_lab.windows(); })};
    CuewellLaunch m_launch;

    bool panelReads(qint64 pid, const QString& text)
    {
        const QStringList texts = textsOf(m_accessibility, pid);
        return std::any_of(texts.begin(), texts.end(),
                           [&](const QString& t) { return t.contains(text); });
    }

    // Cuewell started, back to the application, the hot key over it, the goal typed and sent:
    // a task as a person starts it. `triggered` is when the goal was sent.
    void beginTask(const DesktopApp& app, QProcess& cuewell, const FakeModelHttpServer& ollama,
                   const QString& goal, qint64& triggered)
    {
        QVERIFY(m_launch.start(cuewell, ollama.port()));
        QTRY_VERIFY_WITH_TIMEOUT(panelReads(cuewell.processId(), Texts::go()), 20000);
        QTRY_VERIFY2_WITH_TIMEOUT(m_lab.hasFocus(cuewell.processId()), m_lab.windowList(), 5000);
        const std::optional<QRect> window = m_lab.windowOf(app.pid());
        QVERIFY(window);
        const std::optional<QRect> panel = m_lab.windowOf(cuewell.processId());
        QVERIFY(panel);
        // Into the application's window, below its menus and tool bars, where the panel
        // (placed beside the window when there is room, over it when there is none) is not.
        const QList<QPoint> inside{{window->left() + 40, window->bottom() - 40},
                                   {window->right() - 40, window->bottom() - 40},
                                   {window->center().x(), window->bottom() - 40}};
        const auto free = std::find_if(inside.begin(), inside.end(),
                                       [&](QPoint p) { return !panel->contains(p); });
        QVERIFY2(free != inside.end(), m_lab.windowList());
        m_lab.input().click(*free);
        QTRY_VERIFY2(m_lab.hasFocus(app.pid()), m_lab.windowList());
        QTest::qWait(300);
        m_lab.pressHotKey();
        // The panel takes the keyboard; what a person types then goes into it.
        QTRY_VERIFY2_WITH_TIMEOUT(m_lab.hasFocus(cuewell.processId()), m_lab.windowList(), 5000);
        m_lab.input().type(goal);
        triggered = QDateTime::currentMSecsSinceEpoch();
        m_lab.pressReturn();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("WAYLAND_DISPLAY"), "run on the headless KWin");
        QVERIFY2(m_lab.isReady(), "KWin took no script of the tests', or gave no fake input");
    }

    // Cuewell's script reports to Cuewell's own connection, and Cuewell hears KWin alone: a
    // program that tells Cuewell of windows that are not there is refused.
    void cuewellHearsKWinAlone()
    {
        FakeModelHttpServer ollama(Provider::ollama);
        QProcess cuewell;
        QVERIFY(m_launch.start(cuewell, ollama.port()));
        QTRY_VERIFY_WITH_TIMEOUT(panelReads(cuewell.processId(), Texts::go()), 20000);
        QDBusConnection bus = QDBusConnection::sessionBus();
        QString cuewellName;
        for (const QString& name : bus.interface()->registeredServiceNames().value()) {
            if (bus.interface()->servicePid(name).value() == uint(cuewell.processId()) &&
                name.startsWith(u':'))
                cuewellName = name;
        }
        QVERIFY(!cuewellName.isEmpty());
        QDBusMessage lie = QDBusMessage::createMethodCall(cuewellName, KWinConnection::objectPath,
                                                          QStringLiteral("org.cuewell.KWin1"),
                                                          QStringLiteral("Windows"));
        // A window that is not there, where the pointer is about to click.
        lie << QStringLiteral("{\"active\":\"{1}\",\"windows\":[{\"id\":\"{1}\",\"pid\":1,"
                              "\"kind\":\"window\",\"frame\":[0,0,9,9],\"buffer\":[0,0,9,9]}]}");
        const QDBusMessage reply = bus.call(lie, QDBus::Block, 5000);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
        cuewell.kill();
        cuewell.waitForFinished();
    }

    void wholeTask_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("goal");
        QTest::addColumn<QStringList>("controls");
        QTest::addColumn<QString>("finished"); // the title of the window or dialog it opens
        // GTK 3: a menu of the menu bar, then its item while the menu is open.
        QTest::newRow("mousepad") << QStringList{"mousepad"} << "open the preferences"
                                  << QStringList{"Edit", "Preferences..."}
                                  << "Mousepad Preferences";
        // Qt 6 as a Wayland client: a menu of the menu bar (a popup of its own), then its item.
        QTest::newRow("Qt Linguist")
            << QStringList{"/usr/lib/qt6/bin/linguist"} << "open a translation file"
            << QStringList{"File", "Open..."} << "Open Translation Files";
    }

    void wholeTask()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, goal);
        QFETCH(QStringList, controls);
        QFETCH(QString, finished);
        const QString program = command.takeFirst();
        if (QStandardPaths::findExecutable(program).isEmpty())
            QSKIP(qPrintable(program + QStringLiteral(" is not installed")));

        FakeModelHttpServer ollama(Provider::ollama);
        ollama.models = {QStringLiteral("llava:7b")};
        ollama.answer = FakeModelHttpServer::namingInTurn(controls);
        DesktopApp app(program, command);
        QTRY_VERIFY_WITH_TIMEOUT(m_lab.windowOf(app.pid()), 10000);
        QTest::qWait(500); // drawn
        QProcess cuewell;
        qint64 triggered = 0;
        beginTask(app, cuewell, ollama, goal, triggered);
        if (QTest::currentTestFailed())
            return;

        for (qsizetype step = 0; step < controls.size(); ++step) {
            const QString ready = QStringLiteral("Step %1 ready.").arg(step + 1);
            QVERIFY2(m_launch.waitForStatus(cuewell, ready),
                     qPrintable(m_launch.statuses.join(u'|')));
            const std::optional<qint64> asked = ollama.lastChatAtMs();
            QVERIFY(asked);
            qInfo("%s step %lld: %lld ms from the trigger to the request", qPrintable(program),
                  qlonglong(step + 1), qlonglong(*asked - triggered));
            // Around a control of the application's: its window and what opens from it.
            const std::optional<QRect> panel = m_lab.windowOf(cuewell.processId());
            QVERIFY(panel);
            QRect around = *m_lab.windowOf(app.pid());
            for (const CompositorWindow& w : m_lab.windows()) {
                if (w.pid == app.pid())
                    around |= w.frame;
            }
            std::optional<QRect> ring;
            QTRY_VERIFY_WITH_TIMEOUT(
                (ring = m_lab.ring(around.adjusted(-20, -20, 20, 20), *panel)).has_value(), 5000);
            const QImage shown = m_lab.screenshot();
            if (qEnvironmentVariableIsSet("CUEWELL_TEST_ECHO"))
                shown.save(QStringLiteral("/tmp/kde-step-%1.png").arg(step));
            QCOMPARE(orangeSides(shown, QRectF(*ring).adjusted(1, 1, -1, -1)), 4);
            QVERIFY2(!panel->intersects(*ring), "the panel covers the ring");
            if (step == 1 && program == QLatin1String("mousepad")) {
                QDir().mkpath(QStringLiteral(CUEWELL_PICTURES_DIR));
                shown.save(QStringLiteral(CUEWELL_PICTURES_DIR "/kde-plasma-task.png"));
            }
            // Through the ring, into the application: the next step finds what the click opened.
            triggered = QDateTime::currentMSecsSinceEpoch();
            m_lab.input().click(QRectF(*ring).center());
        }
        QTRY_VERIFY_WITH_TIMEOUT(showsWindowTitled(m_accessibility, app.pid(), finished), 10000);
        cuewell.kill();
        cuewell.waitForFinished();
    }
};

// The test itself drives the desktop from outside; it opens no window of its own.
QTEST_GUILESS_MAIN(KdeWaylandDesktopTest)
#include "KdeWaylandDesktopTest.moc"
