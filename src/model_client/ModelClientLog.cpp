// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/ModelClientLog.h"

Q_LOGGING_CATEGORY(lcModelClient, "cuewell.model", QtWarningMsg)
