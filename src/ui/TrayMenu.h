// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class LoginStartSwitch;
class QMenu;
class QWidget;

/// The tray item's menu: "Open Cuewell (Ctrl+Alt+G)", "Start Cuewell when I log in" (bound to
/// `startAtLogin`), a separator, "Quit Cuewell".
QMenu* makeTrayMenu(std::function<void()> open, LoginStartSwitch& startAtLogin,
                    std::function<void()> quit, QWidget* parent);
