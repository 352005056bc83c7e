// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

/// Diagnostics of the guide session. Quiet unless asked for, for example with
/// QT_LOGGING_RULES="cuewell.session.debug=true"; never carries screenshots or element texts.
Q_DECLARE_LOGGING_CATEGORY(lcSession)
