#pragma once

#include "canframetype.h"
#include "dbcdatabase.h"

#include <QString>
#include <QVector>

#include <cstdint>

// Decoding frames with a DBC database and encoding values back into them.

enum class DbcValueState : uint8_t
{
    Ok,
    // The frame is too short for the signal's bits, or its multiplexer is.
    NotDecodable,
};

// Works out where a signal's bits are; false when they do not fit in
// kDbcMaxBits bits.
bool dbcLayout(DbcSignal &signal);

// The raw bits of `signal` in `data`, unsigned; the caller has checked that
// `length` covers layout.needBytes.
uint64_t dbcRawBits(const DbcSignal &signal, const uint8_t *data);

// The physical value of raw bits: two's complement when signed, a float
// when SIG_VALTYPE_ says so, then raw * factor + offset.
double dbcPhysical(const DbcSignal &signal, uint64_t raw);

// The value table's text for raw bits, null when there is none.
const QString *dbcLabel(const DbcSignal &signal, uint64_t raw);

// One signal of a decoded frame, without copies: points into the database.
struct DbcValue
{
    const DbcSignal *signal = nullptr;
    uint64_t raw = 0;
    double value = 0;
    DbcValueState state = DbcValueState::Ok;
};

// Decodes `message`'s signals from `data` into `out`, which holds at least
// message.signalList.size() values; multiplexed signals whose multiplexer
// does not match are left out. Allocates nothing. Answers how many were
// filled in.
int dbcDecodeInto(const DbcMessage &message, const uint8_t *data, int length, DbcValue *out);

struct DbcDecodedSignal
{
    const DbcSignal *signal = nullptr;
    QString name;
    double value = 0;
    QString unit;
    QString label; // the value table's text, empty without one
    DbcValueState state = DbcValueState::Ok;
};

struct DbcDecodedFrame
{
    const DbcMessage *message = nullptr; // null: no message of this identifier
    QVector<DbcDecodedSignal> values;
};

// The frame's message and its signals' values. Frames are matched by 11-bit
// identifier only.
DbcDecodedFrame decodeFrame(const DbcDatabase &db, const CanFrame &frame);

// The shortest decimal that reads back as the same double ("1520", "0.1").
QString dbcNumberText(double value);

// `value` of `signal` as people read it: with no more decimals than the
// signal's factor and offset have (0.4 × 28 is "11.2", not
// "11.200000000000001"), a float32 signal as the float it is.
QString dbcValueText(const DbcSignal &signal, double value);

// "EngineSpeed=1520 rpm, Gear=3 (DRIVE)"; a value not decodable is "—".
QString dbcValuesText(const DbcValue *values, int count);
QString dbcValuesText(const DbcDecodedFrame &frame);

// Writes `physical` into `data` (of at least layout.needBytes bytes) as
// `signal`'s raw bits, rounded to the raw step and clamped to the signal's
// range (when its minimum is below its maximum) and to what its bits hold;
// only the signal's bits change. Answers whether the value was clamped.
bool dbcEncode(const DbcSignal &signal, double physical, uint8_t *data);
