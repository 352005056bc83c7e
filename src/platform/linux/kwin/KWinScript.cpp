// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/kwin/KWinScript.h"

#include "platform/linux/LinuxLog.h"
#include "platform/linux/kwin/KWinScriptSource.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusReply>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");

QDBusMessage scripting(const QString& method, const QVariantList& arguments)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kwinService, QStringLiteral("/Scripting"),
                                       QStringLiteral("org.kde.kwin.Scripting"), method);
    call.setArguments(arguments);
    return call;
}

// Plasma 5 puts a loaded script at /<id>, Plasma 6 at /Scripting/Script<id>.
bool run(QDBusConnection& bus, int id, int ms)
{
    for (const QString& path :
         {QStringLiteral("/Scripting/Script%1").arg(id), QStringLiteral("/%1").arg(id)}) {
        const QDBusMessage reply = bus.call(
            QDBusMessage::createMethodCall(kwinService, path, QStringLiteral("org.kde.kwin.Script"),
                                           QStringLiteral("run")),
            QDBus::Block, ms);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
    }
    return false;
}

} // namespace

QString KWinScript::sourceFor(const QString& reportTo, qint64 pid, bool takesHotKey)
{
    // A bus name holds only letters, digits, '.', '_', '-' and ':', none of which ends a
    // JavaScript string.
    return QString::fromUtf8(kwinScriptSource)
        .replace(QStringLiteral("__CUEWELL_BUS_NAME__"), reportTo)
        .replace(QStringLiteral("__CUEWELL_PID__"), QString::number(pid))
        .replace(QStringLiteral("__CUEWELL_TAKES_HOT_KEY__"),
                 takesHotKey ? QStringLiteral("true") : QStringLiteral("false"));
}

bool KWinScript::load(QDBusConnection bus, const QString& reportTo, const QString& name,
                      std::chrono::milliseconds timeout)
{
    const int ms = int(timeout.count());
    unload(bus, name, timeout);
    // KWin reads the script from a file, as it starts it; the file is Cuewell's alone.
    QTemporaryFile file(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                        QStringLiteral("/cuewell-kwin-XXXXXX.js"));
    if (!file.open() ||
        file.write(
            sourceFor(reportTo, QCoreApplication::applicationPid(), name == pluginName).toUtf8()) <
            0 ||
        !file.flush())
        return false;
    const QDBusReply<int> id = bus.call(
        scripting(QStringLiteral("loadScript"), {file.fileName(), name}), QDBus::Block, ms);
    if (!id.isValid() || id.value() < 0) {
        qCInfo(lcLinux) << "KWin did not load Cuewell's script:" << id.error().message();
        return false;
    }
    if (!run(bus, id.value(), ms)) {
        qCInfo(lcLinux) << "KWin did not start Cuewell's script";
        return false;
    }
    return true;
}

void KWinScript::unload(QDBusConnection bus, const QString& name, std::chrono::milliseconds timeout)
{
    bus.call(scripting(QStringLiteral("unloadScript"), {name}), QDBus::Block, int(timeout.count()));
}
