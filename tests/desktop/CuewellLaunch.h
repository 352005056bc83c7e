// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

/// How the desktop tests start Cuewell: settings of its own (the explainer already seen), the
/// model server where OLLAMA_HOST says, and the statuses it logs followed as they come.
/// CUEWELL_TEST_ECHO=1 echoes everything it logs; CUEWELL_TEST_LOG_RULES sets what it logs.
struct CuewellLaunch
{
    /// The program under test: the build's, or CUEWELL_PROGRAM (the package test runs the
    /// installed one).
    static QString program()
    {
        return qEnvironmentVariable("CUEWELL_PROGRAM", QStringLiteral(CUEWELL_BINARY));
    }

    QTemporaryDir config;
    QStringList statuses;

    /// Starts the program under `tracedBy` (a tracer and its arguments) when given.
    bool start(QProcess& cuewell, quint16 ollamaPort, const QStringList& tracedBy = {})
    {
        statuses.clear(); // a new program, a new line of statuses
        QDir(config.path()).mkpath(QStringLiteral("Cuewell"));
        QFile settings(config.filePath(QStringLiteral("Cuewell/Cuewell.conf")));
        if (!settings.open(QIODevice::WriteOnly))
            return false;
        settings.write("[General]\nseenExplainer=true\n");
        settings.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_LOGGING_RULES"),
                   qEnvironmentVariable("CUEWELL_TEST_LOG_RULES",
                                        QStringLiteral("cuewell.session.info=true")));
        // The tests read the program's texts in English, whatever this machine's language.
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("OLLAMA_HOST"),
                   QStringLiteral("127.0.0.1:") + QString::number(ollamaPort));
        cuewell.setProcessEnvironment(env);
        cuewell.setProcessChannelMode(QProcess::MergedChannels);
        if (tracedBy.isEmpty())
            cuewell.start(program(), {});
        else
            cuewell.start(tracedBy.first(), tracedBy.mid(1) + QStringList{program()});
        return cuewell.waitForStarted();
    }

    bool waitForStatus(QProcess& cuewell, const QString& status, int timeoutMs = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            while (cuewell.canReadLine()) {
                const QString line = QString::fromUtf8(cuewell.readLine()).trimmed();
                if (qEnvironmentVariableIsSet("CUEWELL_TEST_ECHO"))
                    qInfo("cuewell: %s", qPrintable(line));
                if (const qsizetype at = line.indexOf(QLatin1String("status: ")); at >= 0)
                    statuses.append(line.mid(at + 8));
            }
            if (statuses.contains(status))
                return true;
            QTest::qWait(20);
        }
        return false;
    }
};
