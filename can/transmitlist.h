#pragma once

#include "cantxworker.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <optional>

// One row of the CAN tab's transmit list, as the user typed it: the texts
// are checked when the row is sent, not when it is kept or saved.
struct TransmitRow
{
    QString name;
    QString id;
    QString data;
    int periodMs = 100;
    // Frames a periodic send puts out before it ends by itself; 0: until stopped.
    int count = 0;
    // The data byte that goes up by one with every frame sent (FF wraps to
    // 00); -1: none.
    int counterByte = -1;
    bool enabled = true;

    bool operator==(const TransmitRow &other) const;
};

// Why a row cannot be sent.
enum class TransmitProblem
{
    None,
    Empty, // no identifier or no data: the row is not filled in yet
    BadId,
    BadData,
    CounterPastData, // the counter byte lies beyond the data
};

// A row checked for sending: the frame, or why there is none.
struct TransmitFrame
{
    TransmitProblem problem = TransmitProblem::None;
    quint16 id = 0;
    QVector<uint8_t> data;
};
TransmitFrame transmitFrame(const TransmitRow &row);

// `data` with its counter byte `counterByte` raised by `steps`, wrapping
// within the byte; unchanged without a counter byte or beyond the data.
QVector<uint8_t> countedData(QVector<uint8_t> data, int counterByte, qint64 steps);

// A row's periodic sending: one frame every `periodNs`, the first at once,
// `count` of them (endless when 0), the counter byte raised for each.
CanTxWorker::Schedule transmitSchedule(const TransmitFrame &frame, int counterByte, qint64 periodNs,
                                       int count);

// The limits of a row's numbers, as the list's fields take them.
constexpr int kTransmitMinPeriodMs = 1;
constexpr int kTransmitMaxPeriodMs = 60000;
constexpr int kTransmitMaxCount = 1000000000;

// The list file, text in UTF-8: the first line "# votkbox transmit list 1",
// then one row a line, seven fields separated by tabs:
//   on|off  ID  DATA  PERIOD_MS  COUNT  COUNTER_BYTE|-  NAME
// ID up to 8 and DATA up to 23 characters of hexadecimal digits and spaces
// (either may be empty), PERIOD_MS 1 to 60000, COUNT 0 (until stopped) to
// 1000000000, COUNTER_BYTE 0 to 7 or "-" for none; the name is the rest of
// the line. Empty lines and lines starting with "#" are passed over.
QByteArray transmitListText(const QVector<TransmitRow> &rows);
// One row's line, without its line end (also how the configuration keeps it).
QString transmitRowLine(const TransmitRow &row);

struct TransmitListRead
{
    QVector<TransmitRow> rows;
    // The first line that is not a row, counted from 1, and why; 0 when the
    // whole file was read. Nothing is taken from a file with a bad line.
    int line = 0;
    enum Problem
    {
        None,
        NotAList, // the first line is not the list's header
        Fields,   // not seven fields
        OnOff,
        Id,
        Data,
        Period,
        Count,
        Counter,
    } problem = None;
};
TransmitListRead readTransmitList(const QByteArray &text);
// One row's line; nullopt when it is not one (`problem` tells why).
std::optional<TransmitRow> readTransmitRowLine(const QString &line,
                                               TransmitListRead::Problem *problem = nullptr);
