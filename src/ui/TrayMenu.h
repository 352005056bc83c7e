// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QMenu;
class QWidget;

/// The tray item's menu: "Open Cuewell (Ctrl+Alt+G)", a separator, "Quit Cuewell".
QMenu* makeTrayMenu(std::function<void()> open, std::function<void()> quit, QWidget* parent);
