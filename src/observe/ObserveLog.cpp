#include "observe/ObserveLog.h"

Q_LOGGING_CATEGORY(lcObserve, "cuewell.observe", QtWarningMsg)
