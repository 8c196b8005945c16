#pragma once

#include <QLoggingCategory>

// The main window and its views (see devicelog.h).
Q_DECLARE_LOGGING_CATEGORY(lcWindow)
