#pragma once

#include <QDBusConnection>

/// The accessibility bus of the desktop session, and whether accessibility is switched on.
namespace AtspiBus {

/// A connection to the accessibility bus (not connected when the session has none).
QDBusConnection connection();

/// Whether the session's accessibility is switched on (org.a11y.Status IsEnabled).
bool isEnabled();

/// Whether other applications' trees can be read: the bus answers and accessibility is on.
bool isReadable();

/// Switches the session's accessibility on; applications started afterwards expose their trees
/// (running ones follow when they notice).
void enable();

} // namespace AtspiBus
