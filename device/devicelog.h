#pragma once

#include <QLoggingCategory>

// Every debug line of the tool is in a category "votkbox.<area>", off by
// default in the window and the command-line tool alike; turn them on with
// QT_LOGGING_RULES="votkbox.*.debug=true". Each library declares its own.

// The link and the box commands.
Q_DECLARE_LOGGING_CATEGORY(lcDevice)
// Lines written once per frame: thousands a second on a busy bus, so they
// can be left off on their own with "votkbox.frames.debug=false".
Q_DECLARE_LOGGING_CATEGORY(lcCanFrames)
