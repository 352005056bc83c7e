// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SessionLog.h"

Q_LOGGING_CATEGORY(lcSession, "cuewell.session", QtWarningMsg)
