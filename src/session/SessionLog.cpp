#include "session/SessionLog.h"

Q_LOGGING_CATEGORY(lcSession, "cuewell.session", QtWarningMsg)
