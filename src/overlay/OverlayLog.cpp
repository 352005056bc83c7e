#include "overlay/OverlayLog.h"

Q_LOGGING_CATEGORY(lcOverlay, "cuewell.overlay", QtWarningMsg)
