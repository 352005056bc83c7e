// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>

/// The accessibility bus of the desktop session, and whether accessibility is switched on.
namespace AtspiBus {

/// How long a question to the session bus may take.
inline constexpr int timeoutMs = 1000;

/// A connection to the accessibility bus (not connected when the session has none), made again
/// when the bus has gone since. May block while the session bus answers: not on the main thread.
QDBusConnection connection();

/// The connection made by `connection` when there is one, connected or not; never connects,
/// so never blocks.
QDBusConnection existingConnection();

/// The questions the session bus answers: where the accessibility bus is, and whether
/// accessibility is switched on (for asking without blocking).
QDBusMessage addressCall();
QDBusMessage isEnabledCall();

/// Whether the session's accessibility is switched on (org.a11y.Status IsEnabled). Blocks.
bool isEnabled();

/// Whether other applications' trees can be read: the bus answers and accessibility is on.
/// Blocks.
bool isReadable();

/// Switches the session's accessibility on; applications started afterwards expose their trees
/// (running ones follow when they notice). Does not wait for the answer.
QDBusPendingCall enable();

} // namespace AtspiBus
