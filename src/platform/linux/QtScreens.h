// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

class QScreen;

/// Qt's screens, the main one first; none before the application exists.
QList<QScreen*> qtScreensMainFirst();
