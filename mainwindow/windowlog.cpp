#include "windowlog.h"

Q_LOGGING_CATEGORY(lcWindow, "votkbox.window", QtInfoMsg)
