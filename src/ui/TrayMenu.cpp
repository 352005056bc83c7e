// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TrayMenu.h"

#include "core/Texts.h"
#include "ui/LoginStartSwitch.h"

#include <QMenu>

QMenu* makeTrayMenu(std::function<void()> open, LoginStartSwitch& startAtLogin,
                    std::function<void()> quit, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->addAction(Texts::openCuewell(), menu, std::move(open));
    startAtLogin.bind(menu->addAction(QString()));
    menu->addSeparator();
    menu->addAction(Texts::quitCuewell(), menu, std::move(quit));
    return menu;
}
