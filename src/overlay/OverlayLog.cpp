// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay/OverlayLog.h"

Q_LOGGING_CATEGORY(lcOverlay, "cuewell.overlay", QtWarningMsg)
