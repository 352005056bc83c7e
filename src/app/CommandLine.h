// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

/// What the program is asked to do by its command line: run (no arguments), or one of the
/// everyday requests that end at once.
struct CommandLine
{
    enum class Action
    {
        run,
        /// Run without opening the panel, as when the desktop starts Cuewell at login.
        runInBackground,
        showHelp,
        showVersion,
        quitRunning,
        refuse,
    };

    /// The option the autostart entry passes.
    static inline const QString inBackgroundOption = QStringLiteral("--in-background");

    Action action = Action::run;
    /// What to print: the help, the version, or why the command line was refused.
    QString text;

    /// Reads `arguments` (the program's name first). Needs a running application object for
    /// the program's name and version.
    static CommandLine parse(const QStringList& arguments);
};
