// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/XdgAutostart.h"

#include "core/Texts.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Characters that make the desktop's launcher need the argument in double quotes.
bool needsQuotes(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (argument.isEmpty())
        return true;
    for (const QChar c : argument) {
        if (reserved.contains(c))
            return true;
    }
    return false;
}

QString quoted(QString argument)
{
    // A lone % starts a field code the launcher would replace.
    argument.replace(u'%', QStringLiteral("%%"));
    if (!needsQuotes(argument))
        return argument;
    QString inside;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            inside += u'\\';
        inside += c;
    }
    return u'"' + inside + u'"';
}

// Keys the desktop reads as "this entry is switched off".
bool switchedOff(const QString& line)
{
    const QString key = line.section(u'=', 0, 0).trimmed();
    const QString value = line.section(u'=', 1).trimmed();
    return (key == u"Hidden" && value == u"true") ||
           (key == u"X-GNOME-Autostart-enabled" && value == u"false");
}

} // namespace

XdgAutostart::XdgAutostart(QStringList command) : m_command(std::move(command)) {}

QString XdgAutostart::entryPath() const
{
    // Qt's configuration folder is $XDG_CONFIG_HOME, or ~/.config when unset.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/cuewell.desktop");
}

QString XdgAutostart::execValue(const QStringList& arguments)
{
    QStringList parts;
    for (const QString& argument : arguments)
        parts.append(quoted(argument));
    // A desktop entry's string escapes its own backslashes once more, and cannot hold a line
    // break as it is.
    return parts.join(u' ')
        .replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'\n', QStringLiteral("\\n"));
}

QString XdgAutostart::entry() const
{
    const auto oneLine = [](QString text) { return text.replace(u'\n', u' '); };
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=") +
           Texts::appName + QStringLiteral("\nComment=") + oneLine(Texts::appDescription()) +
           QStringLiteral("\nExec=") + execValue(m_command) +
           QStringLiteral("\nIcon=cuewell\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n");
}

bool XdgAutostart::startsAtLogin() const
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    // An entry is small; one that is not is not ours to read whole.
    const QString text = QString::fromUtf8(file.read(64 * 1024));
    for (const QString& line : text.split(u'\n')) {
        if (switchedOff(line))
            return false;
    }
    return true;
}

bool XdgAutostart::setStartsAtLogin(bool on)
{
    const QString path = entryPath();
    if (!on) {
        QFile::remove(path);
        return !QFile::exists(path);
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write(entry().toUtf8());
    return file.commit();
}
