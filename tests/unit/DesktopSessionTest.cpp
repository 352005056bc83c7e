// SPDX-License-Identifier: GPL-3.0-or-later
// Which desktop Cuewell finds from its environment, and so which backend serves it.
#include "platform/linux/DesktopSession.h"

#include <QTest>

Q_DECLARE_METATYPE(DesktopSession::Kind)

class DesktopSessionTest : public QObject
{
    Q_OBJECT

private slots:
    void theSessionIsNamedAsItsEnvironmentSays_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<bool>("xAnswers");
        QTest::addColumn<DesktopSession::Kind>("kind");
        QTest::addColumn<QString>("name");
        using Kind = DesktopSession::Kind;
        const QStringList wayland{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0",
                                  "DISPLAY=:0"};
        QTest::newRow("GNOME") << wayland + QStringList{"XDG_CURRENT_DESKTOP=GNOME"} << true
                               << Kind::gnomeWayland << "GNOME on Wayland";
        QTest::newRow("Ubuntu's GNOME") << wayland + QStringList{"XDG_CURRENT_DESKTOP=ubuntu:GNOME"}
                                        << true << Kind::gnomeWayland << "GNOME on Wayland";
        QTest::newRow("Plasma 6") << wayland + QStringList{"XDG_CURRENT_DESKTOP=KDE"} << true
                                  << Kind::kdeWayland << "KDE Plasma on Wayland";
        QTest::newRow("Plasma 5 without a desktop name")
            << wayland + QStringList{"KDE_FULL_SESSION=true"} << true << Kind::kdeWayland
            << "KDE Plasma on Wayland";
        // XWayland would show only some of the windows: not taken for an X11 session.
        QTest::newRow("sway") << wayland + QStringList{"XDG_CURRENT_DESKTOP=sway"} << true
                              << Kind::unsupportedWayland << "sway on Wayland";
        QTest::newRow("Hyprland by session name")
            << wayland + QStringList{"XDG_SESSION_DESKTOP=Hyprland"} << true
            << Kind::unsupportedWayland << "Hyprland on Wayland";
        QTest::newRow("unnamed") << wayland << true << Kind::unsupportedWayland
                                 << "an unnamed desktop on Wayland";
        QTest::newRow("X11 Plasma")
            << QStringList{"XDG_SESSION_TYPE=x11", "DISPLAY=:0", "XDG_CURRENT_DESKTOP=KDE"} << true
            << Kind::x11 << "KDE on X11";
        // A Wayland session type without a Wayland display to speak to: the X server serves.
        QTest::newRow("Wayland without its display")
            << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY=:0"} << true << Kind::x11 << "X11";
        QTest::newRow("an X server that does not answer")
            << QStringList{"DISPLAY=:9"} << false << Kind::none << "";
        QTest::newRow("a text console")
            << QStringList{"XDG_SESSION_TYPE=tty"} << true << Kind::none << "";
    }

    void theSessionIsNamedAsItsEnvironmentSays()
    {
        QFETCH(QStringList, environment);
        QFETCH(bool, xAnswers);
        QFETCH(DesktopSession::Kind, kind);
        QFETCH(QString, name);
        QProcessEnvironment env;
        for (const QString& entry : environment)
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        const DesktopSession session = DesktopSession::of(env, [xAnswers] { return xAnswers; });
        QCOMPARE(session.kind, kind);
        QCOMPARE(session.name, name);
    }
};

QTEST_GUILESS_MAIN(DesktopSessionTest)
#include "DesktopSessionTest.moc"
