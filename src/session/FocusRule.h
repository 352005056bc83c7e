// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowsPort.h"

/// Which activated applications become the session's target: ordinary applications other
/// than Cuewell itself.
namespace FocusRule {

inline bool qualifiesAsTarget(const RunningApp& app, qint64 ownPid)
{
    return app.pid != ownPid && app.regular;
}

} // namespace FocusRule
