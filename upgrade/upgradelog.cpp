#include "upgradelog.h"

Q_LOGGING_CATEGORY(lcUpgrade, "votkbox.upgrade", QtInfoMsg)
