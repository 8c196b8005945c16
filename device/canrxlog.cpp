#include "canrxlog.h"

Q_LOGGING_CATEGORY(lcCanFrames, "votk.can.frames", QtInfoMsg)
