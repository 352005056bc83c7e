// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>

/// A real application started for a test and ended by pid when the test is done.
class DesktopApp
{
public:
    DesktopApp(const QString& program, const QStringList& arguments = {})
    {
        m_process.setProgram(program);
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        m_process.waitForStarted(5000);
    }
    ~DesktopApp()
    {
        resume();
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    DesktopApp(const DesktopApp&) = delete;
    DesktopApp& operator=(const DesktopApp&) = delete;

    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }
    void freeze() { ::kill(static_cast<pid_t>(pid()), SIGSTOP); }
    void resume() { ::kill(static_cast<pid_t>(pid()), SIGCONT); }
    void quit()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

/// Runs xdotool with `arguments` and waits for it.
inline bool xdotool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    return tool.waitForFinished(5000) && tool.exitCode() == 0;
}
