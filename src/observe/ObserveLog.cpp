// SPDX-License-Identifier: GPL-3.0-or-later
#include "observe/ObserveLog.h"

Q_LOGGING_CATEGORY(lcObserve, "cuewell.observe", QtWarningMsg)
