// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

/// Diagnostics of the model server requests. Quiet unless asked for, for example with
/// QT_LOGGING_RULES="cuewell.model.debug=true"; never carries screenshots or element texts.
Q_DECLARE_LOGGING_CATEGORY(lcModelClient)
