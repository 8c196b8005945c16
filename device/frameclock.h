#pragma once

#include <QtGlobal>

// The time a frame was read, in microseconds since the epoch, taken by the
// thread that reads it. The wall clock is read once; from then on the
// monotonic clock counts, so that intervals between frames stay true when the
// system clock is set or slewed. Any thread.
qint64 frameReadTimeUs();
