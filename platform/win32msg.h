#pragma once

// Windows message and device-broadcast types: the SDK's on Windows, our own
// look-alikes elsewhere (enough to decode and test the messages anywhere).
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <dbt.h>
#else
#include "win32types.h"
#endif
