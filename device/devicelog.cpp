#include "devicelog.h"

Q_LOGGING_CATEGORY(lcDevice, "votkbox.device", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCanFrames, "votkbox.frames", QtInfoMsg)
