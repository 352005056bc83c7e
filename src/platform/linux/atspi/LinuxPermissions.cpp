// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/atspi/LinuxPermissions.h"

#include "core/Texts.h"
#include "platform/linux/atspi/AtspiBus.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>

LinuxPermissions::LinuxPermissions(std::function<bool()> canCapture, CaptureAdvice advice,
                                   QObject* parent)
    : QObject(parent), m_canCapture(std::move(canCapture)), m_advice(std::move(advice))
{
    checkAccessibility();
}

PermissionsPort::CaptureAdvice LinuxPermissions::x11Advice()
{
    return {Texts::windowCapture(), Texts::windowCaptureText(), Texts::noCaptureSettings(),
            Texts::captureUnavailable()};
}

PermissionsPort::CaptureAdvice LinuxPermissions::gnomeShellAdvice()
{
    return {Texts::gnomeExtension(), Texts::gnomeExtensionText(), Texts::gnomeExtensionRemedy(),
            Texts::gnomeExtensionOff()};
}

PermissionsPort::CaptureAdvice LinuxPermissions::kwinAdvice()
{
    return {Texts::kwinCapture(), Texts::kwinCaptureText(), Texts::kwinCaptureRemedy(),
            Texts::kwinCaptureMissing()};
}

void LinuxPermissions::captureChanged()
{
    if (m_changed)
        m_changed();
}

bool LinuxPermissions::mayCapture()
{
    return m_canCapture();
}

bool LinuxPermissions::mayReadAccessibility()
{
    checkAccessibility();
    return m_readable;
}

void LinuxPermissions::onChanged(std::function<void()> changed)
{
    m_changed = std::move(changed);
}

// Both questions go out together; the answer is taken when both have come back (or timed out).
void LinuxPermissions::checkAccessibility()
{
    if (m_pending > 0)
        return;
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected())
        return;
    m_pending = 2;
    auto* enabled = new QDBusPendingCallWatcher(
        session.asyncCall(AtspiBus::isEnabledCall(), AtspiBus::timeoutMs), this);
    connect(enabled, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusVariant> reply = *w;
        m_enabled = !reply.isError() && reply.value().variant().toBool();
        w->deleteLater();
        answered();
    });
    auto* address = new QDBusPendingCallWatcher(
        session.asyncCall(AtspiBus::addressCall(), AtspiBus::timeoutMs), this);
    connect(address, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QString> reply = *w;
        m_busFound = !reply.isError() && !reply.value().isEmpty();
        w->deleteLater();
        answered();
    });
}

void LinuxPermissions::answered()
{
    if (--m_pending > 0)
        return;
    const bool readable = m_enabled && m_busFound;
    if (readable == m_readable)
        return;
    m_readable = readable;
    if (m_changed)
        m_changed();
}

void LinuxPermissions::requestAccessibility()
{
    auto* watcher = new QDBusPendingCallWatcher(AtspiBus::enable(), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        checkAccessibility();
    });
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
