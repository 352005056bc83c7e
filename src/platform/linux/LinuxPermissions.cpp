#include "platform/linux/LinuxPermissions.h"

#include "platform/linux/AtspiBus.h"
#include "platform/linux/X11Windows.h"

#include <QProcess>
#include <QStandardPaths>

LinuxPermissions::LinuxPermissions(X11Windows& windows) : m_windows(windows) {}

bool LinuxPermissions::mayCapture()
{
    return m_windows.canCapture();
}

bool LinuxPermissions::mayReadAccessibility()
{
    return AtspiBus::isReadable();
}

void LinuxPermissions::requestCapture()
{
    // Nothing to ask for: capture depends on the kind of session, not on a grant.
}

void LinuxPermissions::requestAccessibility()
{
    AtspiBus::enable();
}

bool LinuxPermissions::openCaptureSettings()
{
    return false; // no desktop has settings for this; the panel explains instead
}

bool LinuxPermissions::openAccessibilitySettings()
{
    const QString gnome = QStandardPaths::findExecutable(QStringLiteral("gnome-control-center"));
    if (!gnome.isEmpty())
        return QProcess::startDetached(gnome, {QStringLiteral("universal-access")});
    const QString kde = QStandardPaths::findExecutable(QStringLiteral("systemsettings"));
    if (!kde.isEmpty())
        return QProcess::startDetached(kde, {QStringLiteral("kcm_access")});
    return false;
}
