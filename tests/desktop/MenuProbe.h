// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccessibilityPort.h"

/// Whether the menu of the menu-bar item titled `title` is open in the application of `pid`:
/// its entries are on screen.
inline bool menuOpen(AccessibilityPort& accessibility, qint64 pid, const QString& title)
{
    const QDeadlineTimer deadline(2000);
    const std::optional<AXNode> application = accessibility.application(pid, deadline);
    if (!application)
        return false;
    const AXApplicationNodes nodes = accessibility.applicationNodes(*application, deadline);
    if (!nodes.menuBar)
        return false;
    const QList<AXNodeAttributes> bar = accessibility.read({*nodes.menuBar}, nullptr, deadline);
    const QList<AXNodeAttributes> items =
        accessibility.read(bar.value(0).children, nullptr, deadline);
    for (const AXNodeAttributes& item : items) {
        if (item.title != title)
            continue;
        for (const AXNodeAttributes& entry : accessibility.read(item.children, nullptr, deadline)) {
            if (!entry.role.isEmpty())
                return true;
        }
    }
    return false;
}
