// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

QList<QScreen*> qtScreensMainFirst()
{
    if (!qGuiApp)
        return {};
    QList<QScreen*> screens = QGuiApplication::screens();
    std::stable_partition(screens.begin(), screens.end(),
                          [](QScreen* s) { return s == QGuiApplication::primaryScreen(); });
    return screens;
}
