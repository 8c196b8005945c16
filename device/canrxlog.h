#pragma once

#include <QLoggingCategory>

// Lines written once per received frame. Off by default: at a busy bus they
// are thousands of lines a second. Turn them on with
// QT_LOGGING_RULES="votk.can.frames.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcCanFrames)
