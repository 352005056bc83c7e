// SPDX-License-Identifier: GPL-3.0-or-later
// Cuewell on GNOME on Wayland, as a person has it: a headless GNOME Shell with Cuewell's
// extension, real applications as Wayland clients, a model server on this machine that names
// the right control at each step, the hot key, a typed goal, and then only clicks at the rings,
// through the ring into the application. Driven from outside through the test build of the
// extension (tests/desktop/run-on-gnome-wayland.sh).
#include "CuewellLaunch.h"
#include "DesktopApp.h"
#include "FakeModelHttpServer.h"
#include "GnomeShellLab.h"
#include "RingPixels.h"
#include "ScreenReader.h"
#include "core/Texts.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/gnome/GnomeShellConnection.h"
#include "platform/linux/gnome/GnomeShellInterface.h"
#include "platform/linux/x11/X11AtspiGeometry.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusUnixFileDescriptor>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool runs(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

const QString extensionUuid = QStringLiteral("cuewell@cuewell.org");

} // namespace

class GnomeWaylandDesktopTest : public QObject
{
    Q_OBJECT

    GnomeShellLab m_lab;
    AtspiAccessibility m_accessibility{std::make_unique<X11AtspiGeometry>()};
    CuewellLaunch m_launch;

    // Whether the program's panel shows `text`, as a screen reader reads it.
    bool panelReads(qint64 pid, const QString& text)
    {
        const QStringList texts = textsOf(m_accessibility, pid);
        return std::any_of(texts.begin(), texts.end(),
                           [&](const QString& t) { return t.contains(text); });
    }

    bool hasFocus(qint64 pid)
    {
        const QList<GnomeShellLab::Window> windows = m_lab.windows();
        return std::any_of(windows.begin(), windows.end(),
                           [pid](const auto& w) { return w.pid == pid && w.focused; });
    }

    // The windows as the shell lists them, front first, for a failure's message.
    QByteArray windowList()
    {
        QStringList list;
        for (const GnomeShellLab::Window& w : m_lab.windows())
            list.append(
                QStringLiteral("%1 “%2”%3").arg(w.pid).arg(w.title).arg(w.focused ? "*" : ""));
        return list.join(QStringLiteral(", ")).toUtf8();
    }

    std::optional<QRect> windowOf(qint64 pid)
    {
        for (const GnomeShellLab::Window& w : m_lab.windows()) {
            if (w.pid == pid)
                return w.frame;
        }
        return std::nullopt;
    }

    // Waits for the application's window and moves it to CUEWELL_TARGET_AT ("x,y", on a second
    // monitor, say) when the lab's runner asks for it.
    void showAtTarget(const DesktopApp& app)
    {
        QTRY_VERIFY_WITH_TIMEOUT(windowOf(app.pid()), 10000);
        if (const std::optional<QPoint> to = GnomeShellLab::targetAt()) {
            QVERIFY(m_lab.moveWindowOf(app.pid(), *to));
            QTRY_COMPARE(windowOf(app.pid())->topLeft(), *to);
        }
    }

    // Cuewell started, back to the application, the hot key over it, the goal typed and sent:
    // a task as a person starts it. `triggered` is when the goal was sent.
    void beginTask(const DesktopApp& app, QProcess& cuewell, const FakeModelHttpServer& ollama,
                   const QString& goal, qint64& triggered)
    {
        QVERIFY(m_launch.start(cuewell, ollama.port()));
        QTRY_VERIFY_WITH_TIMEOUT(panelReads(cuewell.processId(), Texts::go()), 20000);
        QTRY_VERIFY2_WITH_TIMEOUT(hasFocus(cuewell.processId()), windowList(), 5000);
        QVERIFY(m_lab.activateWindowOf(app.pid()));
        QTRY_VERIFY2(hasFocus(app.pid()), windowList());
        // As a person would, once the window has come forward (a scaled screen draws slower).
        QTest::qWait(500);
        QVERIFY(m_lab.pressKeys(
            {QStringLiteral("Control_L"), QStringLiteral("Alt_L"), QStringLiteral("g")}));
        // The panel takes the keyboard; what a person types then goes into it.
        QTRY_VERIFY2_WITH_TIMEOUT(hasFocus(cuewell.processId()), windowList(), 5000);
        QVERIFY(m_lab.type(goal));
        triggered = QDateTime::currentMSecsSinceEpoch();
        QVERIFY(m_lab.pressKeys({QStringLiteral("Return")}));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("WAYLAND_DISPLAY"), "run on the headless GNOME Shell");
    }

    // The extension can see and capture every window; only Cuewell may ask it to.
    void theExtensionServesNoOtherProgram()
    {
        DesktopApp app(QStringLiteral("gnome-calculator"));
        QTRY_VERIFY_WITH_TIMEOUT(windowOf(app.pid()), 10000);
        const int fd = memfd_create("refused", MFD_CLOEXEC);
        registerGnomeShellWindowTypes();
        GnomeShellInterface shell(GnomeShellConnection::service, GnomeShellConnection::path,
                                  QDBusConnection::sessionBus());
        shell.setTimeout(5000);
        QList<QDBusPendingCall> calls{
            shell.Subscribe(),
            shell.Windows(),
            shell.CaptureWindow(1, QDBusUnixFileDescriptor(fd)),
            shell.ShowHighlight(QRectF(0, 0, 10, 10), QRectF(0, 20, 10, 10),
                                QStringLiteral("button"), QStringLiteral("Click.")),
            shell.HideHighlight(),
            shell.PlaceOwnWindow(QStringLiteral("Calculator"), 0, 0, true),
            shell.WatchApplication(uint(app.pid())),
        };
        for (QDBusPendingCall& call : calls) {
            call.waitForFinished();
            QVERIFY(call.isError());
            QCOMPARE(call.error().name(), QStringLiteral("org.cuewell.Shell.Error.NotAllowed"));
        }
        ::close(fd);
        // Nothing was written into the descriptor, nothing moved.
        QCOMPARE(lseek(fd, 0, SEEK_END), off_t(-1));
    }

    void aProgramSavedAsCuewellIsNoCuewell()
    {
        // Any program can be copied under Cuewell's name; the extension asks which file the
        // caller runs, not what it is called.
        const QString gdbus = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
        if (gdbus.isEmpty())
            QSKIP("gdbus is not installed");
        QTemporaryDir folder;
        const QString impostor = folder.filePath(QStringLiteral("cuewell"));
        QVERIFY(QFile::copy(gdbus, impostor));
        QProcess call;
        call.start(impostor,
                   {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                    QStringLiteral("org.cuewell.Shell"), QStringLiteral("--object-path"),
                    QStringLiteral("/org/cuewell/Shell1"), QStringLiteral("--method"),
                    QStringLiteral("org.cuewell.Shell1.Windows")});
        QVERIFY(call.waitForFinished(10000));
        QVERIFY(call.exitCode() != 0);
        QVERIFY2(call.readAllStandardError().contains("org.cuewell.Shell.Error.NotAllowed"),
                 "the extension did not refuse a program named cuewell");
    }

    void wholeTask_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("goal");
        QTest::addColumn<QStringList>("controls");
        QTest::addColumn<QString>("finished"); // the title of the window or dialog it opens
        // GTK 4: the main menu button (named anew in GNOME 48), then an item of its popover.
        QTest::newRow("gnome-calculator")
            << QStringList{"gnome-calculator"} << "open the preferences"
            << QStringList{"Primary menu|Main Menu", "Preferences"} << "Preferences";
        // GTK 3: a menu of the menu bar, then its item while the menu is open.
        QTest::newRow("mousepad") << QStringList{"mousepad"} << "open the preferences"
                                  << QStringList{"Edit", "Preferences..."}
                                  << "Mousepad Preferences";
        // Qt 6 as a Wayland client: a menu of the menu bar (a popup of its own), then its item.
        QTest::newRow("Qt Linguist") << QStringList{"linguist"} << "open a translation file"
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
        showAtTarget(app);
        if (QTest::currentTestFailed())
            return;
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
            std::optional<QRectF> ring;
            QTRY_VERIFY_WITH_TIMEOUT((ring = m_lab.ring()).has_value(), 5000);
            QTest::qWait(300);
            const QImage shown = m_lab.screenshot();
            if (qEnvironmentVariableIsSet("CUEWELL_TEST_ECHO"))
                shown.save(QStringLiteral("/tmp/step-%1.png").arg(step));
            const double scale = GnomeShellLab::scale();
            QCOMPARE(orangeSides(shown, QRectF(ring->topLeft() * scale, ring->size() * scale)), 4);
            const std::optional<QRect> panel = windowOf(cuewell.processId());
            QVERIFY(panel);
            QVERIFY2(!QRectF(*panel).intersects(*ring), "the panel covers the ring");
            QVERIFY2(GnomeShellLab::onOneMonitor(QRectF(*panel).center(), ring->center()),
                     qPrintable(QStringLiteral("the panel at %1,%2 is on another monitor than "
                                               "the ring at %3,%4")
                                    .arg(panel->x())
                                    .arg(panel->y())
                                    .arg(ring->x())
                                    .arg(ring->y())));
            if (step == 1 && program == QLatin1String("gnome-calculator") && scale == 1 &&
                !GnomeShellLab::targetAt()) {
                QDir().mkpath(QStringLiteral(CUEWELL_PICTURES_DIR));
                shown.save(QStringLiteral(CUEWELL_PICTURES_DIR "/gnome-%1-task.png")
                               .arg(m_lab.shellMajorVersion()));
            }
            // Through the ring, into the application: the next step finds what the click opened.
            triggered = QDateTime::currentMSecsSinceEpoch();
            QVERIFY(m_lab.click(ring->center()));
        }
        QTRY_VERIFY_WITH_TIMEOUT(showsWindowTitled(m_accessibility, app.pid(), finished), 10000);
        cuewell.kill();
        cuewell.waitForFinished();
    }

    // The ring sits on its control's own pixels. gnome-calculator draws its "=" alone in a
    // strong colour (orange or the accent blue), so where that control is on screen is seen
    // without asking anyone, before the ring is there to be confused with it.
    void theRingSitsOnItsControl()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gnome-calculator")).isEmpty())
            QSKIP("gnome-calculator is not installed");
        FakeModelHttpServer ollama(Provider::ollama);
        ollama.models = {QStringLiteral("llava:7b")};
        ollama.answer = FakeModelHttpServer::namingInTurn({QStringLiteral("=|Calculate Result")});
        DesktopApp app(QStringLiteral("gnome-calculator"));
        showAtTarget(app);
        if (QTest::currentTestFailed())
            return;
        QTest::qWait(1000); // drawn
        const double scale = GnomeShellLab::scale();
        const QRectF frame = *windowOf(app.pid());
        const QRectF frameOnScreen(frame.topLeft() * scale, frame.size() * scale);
        // Inside the rounded corners, where the desktop shows through.
        const int corner = int(8 * scale);
        const QRect drawn =
            colouredBox(m_lab.screenshot(),
                        frameOnScreen.toAlignedRect().adjusted(corner, corner, -corner, -corner));
        QVERIFY2(!drawn.isEmpty() && drawn.width() < frameOnScreen.width() / 2,
                 "no control of its own colour in the calculator");

        QProcess cuewell;
        qint64 triggered = 0;
        beginTask(app, cuewell, ollama, QStringLiteral("work out the sum"), triggered);
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(m_launch.waitForStatus(cuewell, QStringLiteral("Step 1 ready.")),
                 qPrintable(m_launch.statuses.join(u'|')));
        std::optional<QRectF> ring;
        QTRY_VERIFY_WITH_TIMEOUT((ring = m_lab.ring()).has_value(), 5000);
        const QPointF offset = ring->center() * scale - QRectF(drawn).center();
        const double apart = std::max(std::abs(offset.x()), std::abs(offset.y()));
        qInfo("the ring is %.1f device pixels (%.1f logical) from the centre of its control, at "
              "scale %g",
              apart, apart / scale, scale);
        // A toolkit may name the label inside a button, and GTK 4.18 places some controls up to
        // 12 px from where it draws them: the ring's centre must be on the control, whatever
        // the scale.
        QVERIFY2(QRectF(drawn).contains(ring->center() * scale),
                 qPrintable(QStringLiteral("control drawn at %1,%2 %3x%4, ring at %5,%6 %7x%8")
                                .arg(drawn.x())
                                .arg(drawn.y())
                                .arg(drawn.width())
                                .arg(drawn.height())
                                .arg(ring->x())
                                .arg(ring->y())
                                .arg(ring->width())
                                .arg(ring->height())));
        cuewell.kill();
        cuewell.waitForFinished();
    }

    // Without its extension, Cuewell says so and how to turn it on, and takes the extension up
    // as soon as it is on. Last: the extension comes back with new input devices.
    void withoutTheExtensionThePanelSaysHowToTurnItOn()
    {
        QVERIFY(
            runs(QStringLiteral("gnome-extensions"), {QStringLiteral("disable"), extensionUuid}));
        auto enableAgain = qScopeGuard([] {
            runs(QStringLiteral("gnome-extensions"), {QStringLiteral("enable"), extensionUuid});
        });
        FakeModelHttpServer ollama(Provider::ollama);
        QProcess cuewell;
        QVERIFY(m_launch.start(cuewell, ollama.port()));
        QVERIFY2(m_launch.waitForStatus(cuewell, Texts::gnomeExtensionOff()),
                 qPrintable(m_launch.statuses.join(u'|')));
        QTRY_VERIFY_WITH_TIMEOUT(panelReads(cuewell.processId(), Texts::enableExtensionCommand),
                                 10000);

        QVERIFY(
            runs(QStringLiteral("gnome-extensions"), {QStringLiteral("enable"), extensionUuid}));
        QVERIFY2(m_launch.waitForStatus(cuewell, Texts::typeAGoal()),
                 qPrintable(m_launch.statuses.join(u'|')));
        cuewell.kill();
        cuewell.waitForFinished();
    }
};

// The test itself drives the desktop only over D-Bus; it opens no window of its own.
QTEST_GUILESS_MAIN(GnomeWaylandDesktopTest)
#include "GnomeWaylandDesktopTest.moc"
