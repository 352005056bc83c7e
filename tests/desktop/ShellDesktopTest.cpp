// SPDX-License-Identifier: GPL-3.0-or-later
// The shell on a desktop: the global hot key, running once per session, the command line, and
// starting where there is no display.
#include "DesktopApp.h"
#include "ScreenReader.h"
#include "core/Texts.h"
#include "observe/AccessibilityReader.h"
#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/x11/X11AtspiGeometry.h"
#include "platform/linux/x11/X11Connection.h"
#include "platform/linux/x11/X11HotKey.h"

#include <xcb/xcb_keysyms.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Grabs Control+Alt+G with `locks` on the root window through `x`; false when another program
// holds that combination.
bool grabG(X11Connection& x, uint16_t locks)
{
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(x.get()), &xcb_key_symbols_free);
    std::unique_ptr<xcb_keycode_t, decltype(&free)> codes(
        xcb_key_symbols_get_keycode(symbols.get(), 0x0067), &free);
    if (!codes)
        return false;
    const uint16_t modifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | locks;
    auto error = xReply(xcb_request_check(
        x.get(), xcb_grab_key_checked(x.get(), 1, x.root(), modifiers, codes.get()[0],
                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
    return !error;
}

struct Ended
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs Cuewell with `arguments` in `env` and waits for it to end.
Ended runCuewell(const QStringList& arguments,
                 const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess cuewell;
    cuewell.setProcessEnvironment(env);
    cuewell.start(QStringLiteral(CUEWELL_BINARY), arguments);
    if (!cuewell.waitForFinished(10000) || cuewell.exitStatus() != QProcess::NormalExit)
        return {};
    return {cuewell.exitCode(), QString::fromUtf8(cuewell.readAllStandardOutput()),
            QString::fromUtf8(cuewell.readAllStandardError())};
}

} // namespace

class ShellDesktopTest : public QObject
{
    Q_OBJECT

    AtspiAccessibility m_accessibility{std::make_unique<X11AtspiGeometry>()};
    QTemporaryDir m_config;

    bool panelShown(const QProcess& cuewell)
    {
        return !AccessibilityReader::read(m_accessibility, cuewell.processId()).elements.isEmpty();
    }

    // Starts Cuewell with a settings folder of its own and waits for its panel.
    void start(QProcess& cuewell)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        cuewell.setProcessEnvironment(env);
        cuewell.start(QStringLiteral(CUEWELL_BINARY), {});
        QVERIFY(cuewell.waitForStarted());
    }

    // Clicks the panel's control named `title` with the pointer, as a user would.
    void clickControl(const QProcess& cuewell, const QString& title)
    {
        const AXSnapshot panel = AccessibilityReader::read(m_accessibility, cuewell.processId());
        const auto control = std::find_if(panel.elements.begin(), panel.elements.end(),
                                          [&title](const auto& e) { return e.title == title; });
        QVERIFY2(control != panel.elements.end(), qPrintable(title));
        const QPointF centre = control->frame.center();
        xdotool({QStringLiteral("mousemove"), QString::number(qRound(centre.x())),
                 QString::number(qRound(centre.y())), QStringLiteral("click"),
                 QStringLiteral("1")});
    }

    QString singleInstanceSocket() const
    {
        return qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/cuewell-") +
               qEnvironmentVariable("DISPLAY").remove(u':');
    }

    // Closes the panel with the window manager's close key; the program keeps running.
    void closePanel(const QProcess& cuewell)
    {
        xdotool({QStringLiteral("search"), QStringLiteral("--pid"),
                 QString::number(cuewell.processId()), QStringLiteral("--name"),
                 QStringLiteral("Cuewell"), QStringLiteral("windowactivate"),
                 QStringLiteral("--sync")});
        xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
        QTRY_VERIFY(!panelShown(cuewell));
        QCOMPARE(cuewell.state(), QProcess::Running);
    }

private slots:
    void hotKeyFiresForControlAltGOnly()
    {
        X11HotKey hotKey;
        int presses = 0;
        QVERIFY(hotKey.registerHotKey([&presses] { ++presses; }));
        DesktopApp editor(QStringLiteral("mousepad"));
        QTest::qWait(1500);
        for (const char* keys : {"ctrl+g", "alt+g", "ctrl+shift+g"})
            xdotool({QStringLiteral("key"), QString::fromLatin1(keys)});
        QTest::qWait(300);
        QCOMPARE(presses, 0);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+g")});
        QTRY_COMPARE(presses, 1);
        // With Num Lock on, the key still counts.
        xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")});
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+g")});
        QTRY_COMPARE(presses, 2);
        xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")});

        // A second program cannot take the key.
        X11HotKey second;
        QVERIFY(!second.registerHotKey([] {}));
    }

    void aPartlyHeldHotKeyIsNotTakenAtAll()
    {
        // Another program holds Control+Alt+G, but only with Num Lock on.
        X11Connection other;
        QVERIFY(grabG(other, XCB_MOD_MASK_2));
        X11HotKey hotKey;
        QVERIFY(!hotKey.registerHotKey([] {}));
        QVERIFY(!hotKey.registerHotKey([] {})); // asked again, the answer is still the truth
        // None of the other combinations stayed taken: a third program gets the plain one.
        X11Connection third;
        QVERIFY(grabG(third, 0));
    }

    void secondStartBringsTheRunningPanelForward()
    {
        QProcess first;
        start(first);
        QTRY_VERIFY_WITH_TIMEOUT(panelShown(first), 15000);
        // The running one listens in the user's own runtime folder, not in /tmp.
        QVERIFY(QFileInfo(singleInstanceSocket()).exists());
        closePanel(first);

        QProcess second;
        start(second);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(panelShown(first), 10000);
        first.kill();
        first.waitForFinished();
    }

    void theCommandLineIsAnsweredWithoutStarting()
    {
        // Help and version need no desktop at all.
        QProcessEnvironment noDesktop = QProcessEnvironment::systemEnvironment();
        noDesktop.remove(QStringLiteral("DISPLAY"));
        const Ended version = runCuewell({QStringLiteral("--version")}, noDesktop);
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QStringLiteral("Cuewell " CUEWELL_VERSION "\n"));
        const Ended help = runCuewell({QStringLiteral("-h")}, noDesktop);
        QCOMPARE(help.exitCode, 0);
        for (const QString& shown : {Texts::appDescription(), QStringLiteral("--quit"),
                                     Texts::quitOption(), Texts::versionOption()})
            QVERIFY2(help.out.contains(shown), qPrintable(help.out));

        // What it does not know is refused, saying what, and nothing starts.
        const Ended unknown = runCuewell({QStringLiteral("--frobnicate")});
        QCOMPARE(unknown.exitCode, 2);
        QVERIFY2(unknown.err.contains(QStringLiteral("frobnicate")), qPrintable(unknown.err));
        const Ended file = runCuewell({QStringLiteral("notes.txt")});
        QCOMPARE(file.exitCode, 2);
        QCOMPARE(file.err.trimmed(), Texts::noArgumentsTaken());

        // In the user's language.
        QProcessEnvironment german = noDesktop;
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
            german.remove(QString::fromLatin1(name));
        german.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
        const Ended hilfe = runCuewell({QStringLiteral("--help")}, german);
        QVERIFY2(hilfe.out.contains(QStringLiteral("Eine Bildschirmführung")),
                 qPrintable(hilfe.out));

        // --quit where no Cuewell runs says so.
        QProcessEnvironment otherDisplay = QProcessEnvironment::systemEnvironment();
        otherDisplay.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4242"));
        const Ended nobody = runCuewell({QStringLiteral("--quit")}, otherDisplay);
        QCOMPARE(nobody.exitCode, 1);
        QCOMPARE(nobody.err.trimmed(), Texts::cuewellNotRunning());
    }

    void askedToStartAtLoginItDoesAndThenWaitsForItsHotKey()
    {
        QProcess cuewell;
        start(cuewell);
        QTRY_VERIFY_WITH_TIMEOUT(panelShown(cuewell), 15000);
        clickControl(cuewell, Texts::continueLabel()); // past the first start's welcome
        QTest::qWait(500);
        clickControl(cuewell, Texts::startAtLogin());
        const QString entryPath = m_config.filePath(QStringLiteral("autostart/cuewell.desktop"));
        QTRY_VERIFY(QFileInfo::exists(entryPath));
        QFile entry(entryPath);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(entry.readAll()).split(u'\n');
        const QString exec = QStringLiteral("Exec=" CUEWELL_BINARY " --in-background");
        QVERIFY2(lines.contains(exec), qPrintable(lines.join(u'\n')));
        QCOMPARE(runCuewell({QStringLiteral("--quit")}).exitCode, 0);
        QVERIFY(cuewell.waitForFinished(10000));
        QCOMPARE(cuewell.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cuewell.exitCode(), 0);

        // The next login: the desktop runs the entry's command. Cuewell comes up without its
        // panel, and the hot key brings the panel.
        QProcess atLogin;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        atLogin.setProcessEnvironment(env);
        atLogin.start(QStringLiteral(CUEWELL_BINARY), {QStringLiteral("--in-background")});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(singleInstanceSocket()), 15000);
        QTest::qWait(2000);
        QVERIFY(!panelShown(atLogin));
        QCOMPARE(atLogin.state(), QProcess::Running);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+g")});
        QTRY_VERIFY_WITH_TIMEOUT(panelShown(atLogin), 10000);

        // Unticked, the entry is gone.
        clickControl(atLogin, Texts::startAtLogin());
        QTRY_VERIFY(!QFileInfo::exists(entryPath));
        atLogin.kill();
        atLogin.waitForFinished();
    }

    void trayIconBringsThePanelBack()
    {
        DesktopApp tray(QStringLiteral("trayer"),
                        {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                         QStringLiteral("right"), QStringLiteral("--widthtype"),
                         QStringLiteral("request")});
        QTest::qWait(1000);
        QProcess cuewell;
        start(cuewell);
        QTRY_VERIFY_WITH_TIMEOUT(panelShown(cuewell), 15000);
        closePanel(cuewell);

        // The icon is the small window of Cuewell's that the tray holds.
        QProcess search;
        search.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--pid"), QString::number(cuewell.processId()),
                      QStringLiteral("")});
        search.waitForFinished();
        QPoint icon;
        for (const QByteArray& id : search.readAllStandardOutput().split('\n')) {
            QProcess geometry;
            geometry.start(QStringLiteral("xdotool"),
                           {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"),
                            QString::fromLatin1(id)});
            geometry.waitForFinished();
            QMap<QString, int> g;
            for (const QByteArray& line : geometry.readAllStandardOutput().split('\n')) {
                const QList<QByteArray> kv = line.split('=');
                if (kv.size() == 2)
                    g.insert(QString::fromLatin1(kv[0]), kv[1].toInt());
            }
            if (g.value(QStringLiteral("WIDTH")) > 0 && g.value(QStringLiteral("WIDTH")) <= 64)
                icon = QPoint(g[QStringLiteral("X")] + g[QStringLiteral("WIDTH")] / 2,
                              g[QStringLiteral("Y")] + g[QStringLiteral("HEIGHT")] / 2);
        }
        QVERIFY2(!icon.isNull(), "no tray icon of Cuewell's was found");
        xdotool({QStringLiteral("mousemove"), QString::number(icon.x()), QString::number(icon.y()),
                 QStringLiteral("click"), QStringLiteral("1")});
        QTRY_VERIFY_WITH_TIMEOUT(panelShown(cuewell), 5000);
        cuewell.kill();
        cuewell.waitForFinished();
    }

    void withoutADisplayItSaysSoAndStops()
    {
        QProcess cuewell;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0"));
        cuewell.setProcessEnvironment(env);
        cuewell.start(QStringLiteral(CUEWELL_BINARY), {});
        QVERIFY(cuewell.waitForFinished(10000));
        QCOMPARE(cuewell.exitStatus(), QProcess::NormalExit);
        QVERIFY(cuewell.exitCode() != 0);
        const QStringList lines =
            QString::fromUtf8(cuewell.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines, QStringList{QStringLiteral(
                            "Cuewell needs a desktop: an X11 session, GNOME on Wayland or KDE "
                            "Plasma on Wayland. No display was found.")});
    }

    // In a Wayland session of a desktop Cuewell does not serve, it says so on a card naming
    // the session, rather than guiding among the few windows XWayland shows.
    void anUnservedWaylandDesktopIsNamedOnACard()
    {
        QProcess cuewell;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("sway"));
        // No compositor answers there: the card comes up on this X display instead.
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("cuewell-nowhere-0"));
        cuewell.setProcessEnvironment(env);
        cuewell.start(QStringLiteral(CUEWELL_BINARY), {});
        QVERIFY(cuewell.waitForStarted());
        const auto reads = [&](const QString& text) {
            const QStringList texts = textsOf(m_accessibility, cuewell.processId());
            return std::any_of(texts.begin(), texts.end(),
                               [&](const QString& t) { return t.contains(text); });
        };
        QTRY_VERIFY_WITH_TIMEOUT(reads(Texts::desktopNotSupported()), 10000);
        QVERIFY(reads(QStringLiteral("Cuewell found sway on Wayland.")));
        QVERIFY(cuewell.state() == QProcess::Running);
        cuewell.kill();
        cuewell.waitForFinished();
    }
};

QTEST_MAIN(ShellDesktopTest)
#include "ShellDesktopTest.moc"
