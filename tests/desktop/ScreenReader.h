// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccessibilityPort.h"

#include <QStringList>

/// Every text in the accessibility tree of `pid`, as a screen reader reads it.
inline QStringList textsOf(AccessibilityPort& accessibility, qint64 pid)
{
    QStringList texts;
    const QDeadlineTimer deadline(5000);
    const std::optional<AXNode> application = accessibility.application(pid, deadline);
    if (!application)
        return texts;
    QList<AXNode> level = accessibility.applicationNodes(*application, deadline).windows;
    for (int depth = 0; depth < 30 && !level.isEmpty(); ++depth) {
        QList<AXNode> next;
        for (const AXNodeAttributes& node : accessibility.read(level, nullptr, deadline)) {
            if (!node.title.isEmpty())
                texts.append(node.title);
            next += node.children;
        }
        level = next;
    }
    return texts;
}
