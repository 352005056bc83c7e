// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/LinuxLog.h"

Q_LOGGING_CATEGORY(lcLinux, "cuewell.linux", QtWarningMsg)
