// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/linux/CompositorWindow.h"
#include "platform/linux/kwin/KWinWindowIds.h"

#include <QByteArray>

#include <optional>

/// The window list Cuewell's KWin script sends, read. Pure.
namespace KWinReport {

/// The most a list may hold, and its longest message: a script run wild, or a desktop with
/// thousands of windows, must not freeze Cuewell.
inline constexpr qsizetype maxWindows = 2000;
inline constexpr qsizetype maxMessageBytes = 4 * 1024 * 1024;

/// The windows of `json`, front to back: desktop backgrounds and minimized windows are left
/// out, the active window is focused, and ids are given by `ids` (which forgets windows no
/// longer listed). Absent when the message is not a list the script sends.
std::optional<QList<CompositorWindow>> windowsOf(const QByteArray& json, KWinWindowIds& ids);

} // namespace KWinReport
