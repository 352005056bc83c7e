#include "model_client/ModelClientLog.h"

Q_LOGGING_CATEGORY(lcModelClient, "cuewell.model", QtWarningMsg)
