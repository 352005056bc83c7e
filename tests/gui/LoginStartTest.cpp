// SPDX-License-Identifier: GPL-3.0-or-later
// "Start Cuewell when I log in": the panel's box and the tray's item, over the user's real XDG
// autostart folder (a temporary one here).
#include "platform/linux/XdgAutostart.h"
#include "ui/LoginStartSwitch.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString entryText(const XdgAutostart& autostart)
{
    QFile file(autostart.entryPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class LoginStartTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void init()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QDir(m_config.filePath(QStringLiteral("autostart"))).removeRecursively();
    }

    void bothControlsFollowTheEntryTheDesktopReads()
    {
        XdgAutostart autostart(
            {QStringLiteral("/usr/bin/cuewell"), QStringLiteral("--in-background")});
        QCOMPARE(autostart.entryPath(),
                 m_config.filePath(QStringLiteral("autostart/cuewell.desktop")));
        LoginStartSwitch loginStart(autostart);
        QCheckBox box;
        QAction item;
        loginStart.bind(&box);
        loginStart.bind(&item);
        QVERIFY(!box.isChecked() && !item.isChecked()); // off until asked

        box.click();
        QVERIFY(item.isChecked());
        QVERIFY(autostart.startsAtLogin());
        const QStringList lines = entryText(autostart).split(u'\n');
        QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
        QVERIFY(lines.contains(QStringLiteral("Type=Application")));
        QVERIFY(lines.contains(QStringLiteral("Exec=/usr/bin/cuewell --in-background")));

        // Switched off in the desktop's own settings, which keep the file with Hidden=true.
        QFile file(autostart.entryPath());
        QVERIFY(file.open(QIODevice::Append));
        file.write("Hidden=true\n");
        file.close();
        loginStart.refresh();
        QVERIFY(!box.isChecked() && !item.isChecked());

        item.trigger(); // on again, from the tray
        QVERIFY(box.isChecked());
        QVERIFY(!entryText(autostart).contains(QStringLiteral("Hidden")));
        item.trigger();
        QVERIFY(!QFile::exists(autostart.entryPath()));
        QVERIFY(!box.isChecked());
    }

    void aFolderThatCannotBeWrittenLeavesTheSwitchOff()
    {
        // The autostart folder's place is taken by a file.
        QFile blocker(m_config.filePath(QStringLiteral("autostart")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        XdgAutostart autostart({QStringLiteral("/usr/bin/cuewell")});
        LoginStartSwitch loginStart(autostart);
        QCheckBox box;
        loginStart.bind(&box);
        box.click();
        QVERIFY(!box.isChecked());
        QVERIFY(!autostart.startsAtLogin());
        QVERIFY(blocker.remove());
    }

    void theProgramsPathIsWrittenSoTheLauncherReadsItBack()
    {
        // Quoted for the launcher (space, $, %), then escaped once more as a desktop entry's
        // string: a backslash becomes four.
        QCOMPARE(XdgAutostart::execValue(
                     {QStringLiteral("/opt/My Apps/cue$well%"), QStringLiteral("--in-background")}),
                 QStringLiteral("\"/opt/My Apps/cue\\\\$well%%\" --in-background"));
        QCOMPARE(XdgAutostart::execValue({QStringLiteral("/home/a\\b/cuewell")}),
                 QStringLiteral("\"/home/a\\\\\\\\b/cuewell\""));
        QCOMPARE(XdgAutostart::execValue({QStringLiteral("/usr/bin/cuewell")}),
                 QStringLiteral("/usr/bin/cuewell"));
    }
};

QTEST_MAIN(LoginStartTest)
#include "LoginStartTest.moc"
