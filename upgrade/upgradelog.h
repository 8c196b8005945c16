#pragma once

#include <QLoggingCategory>

// The upgrade file check and the firmware transfer (see devicelog.h).
Q_DECLARE_LOGGING_CATEGORY(lcUpgrade)
