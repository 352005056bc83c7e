// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QString>

#include <chrono>

/// Cuewell's script inside KWin (`cuewell-kwin.js`), loaded through KWin's scripting
/// interface while Cuewell runs and unloaded as it quits. The script reports to the
/// connection it is loaded for, and to no one else.
class KWinScript
{
public:
    /// The name Cuewell's script has in KWin.
    static inline const QString pluginName = QStringLiteral("cuewell");

    /// The script as it is loaded for the bus connection named `reportTo`, of the process
    /// `pid` (whose panel the script places); Cuewell's own script `takesHotKey`.
    static QString sourceFor(const QString& reportTo, qint64 pid, bool takesHotKey);

    /// Replaces any script of Cuewell's that KWin still runs (one left by a Cuewell that did
    /// not quit cleanly) with this one and starts it. Waits at most `timeout` for each answer.
    /// `name` is the script's name in KWin (another for a second listener, such as a test).
    static bool load(QDBusConnection bus, const QString& reportTo, const QString& name,
                     std::chrono::milliseconds timeout);
    static void unload(QDBusConnection bus, const QString& name, std::chrono::milliseconds timeout);
};
