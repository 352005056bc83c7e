// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

/// Diagnostics of the program's start-up and shell. Quiet unless asked for, for example with
/// QT_LOGGING_RULES="cuewell.app.debug=true"; never carries screenshots or element texts.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
