// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "core/Texts.h"

#include <QCommandLineParser>
#include <QCoreApplication>

CommandLine CommandLine::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Texts::appDescription());
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  Texts::helpOption());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     Texts::versionOption());
    const QCommandLineOption quit(QStringLiteral("quit"), Texts::quitOption());
    const QCommandLineOption inBackground(inBackgroundOption.mid(2), Texts::inBackgroundOption());
    parser.addOptions({help, version, quit, inBackground});
    if (!parser.parse(arguments))
        return {Action::refuse, parser.errorText()};
    if (parser.isSet(help))
        return {Action::showHelp, parser.helpText()};
    if (parser.isSet(version))
        return {Action::showVersion, QCoreApplication::applicationName() + u' ' +
                                         QCoreApplication::applicationVersion()};
    if (!parser.positionalArguments().isEmpty())
        return {Action::refuse, Texts::noArgumentsTaken()};
    if (parser.isSet(quit))
        return {Action::quitRunning, {}};
    if (parser.isSet(inBackground))
        return {Action::runInBackground, {}};
    return {};
}
