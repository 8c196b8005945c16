#pragma once

#include <QString>
#include <QVector>

#include <cstdint>

// Text lines of a received CAN frame (identifier low byte, high byte, data) as
// CAN tools read them: the identifier in upper-case hexadecimal, at least three
// digits, the data as upper-case digit pairs without separators.

// candump's log format: "(1733580000.123456) can0 7DF#02010C".
QString candumpLine(qint64 usecSinceEpoch, const QVector<uint8_t> &frame);
// The CSV header matching csvLine.
QString csvHeader();
// "time,id,len,data": "1733580000.123456,7DF,3,02010C".
QString csvLine(qint64 usecSinceEpoch, const QVector<uint8_t> &frame);
