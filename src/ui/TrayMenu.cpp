// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TrayMenu.h"

#include "core/Texts.h"

#include <QMenu>

QMenu* makeTrayMenu(std::function<void()> open, std::function<void()> quit, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->addAction(Texts::openCuewell(), menu, std::move(open));
    menu->addSeparator();
    menu->addAction(Texts::quitCuewell(), menu, std::move(quit));
    return menu;
}
