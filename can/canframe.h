#pragma once

#include <QString>
#include <QVector>

#include <cstdint>
#include <utility>

// Small helpers every view of a CAN frame shares: the window's table, its
// saved files and the command-line tool's output.

// The hexadecimal digit of the low four bits of `value`.
inline char hexDigitChar(unsigned value, bool upperCase)
{
    const unsigned nibble = value & 0xF;
    return char(nibble < 10 ? '0' + nibble : (upperCase ? 'A' : 'a') + nibble - 10);
}

// The value of one hexadecimal digit, either case; -1 for any other character.
inline int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The value of the `count` hexadecimal digits from `text`, or -1 when one is
// not a hexadecimal digit. `count` is at most 15, so the value fits.
inline qint64 hexDigitsValue(const char *text, int count)
{
    qint64 value = 0;
    for (int i = 0; i < count; ++i) {
        const int digit = hexDigitValue(text[i]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

// `value` as exactly `digits` upper-case hexadecimal digits, appended to `out`.
template <typename Bytes> void appendHexDigits(Bytes &out, unsigned value, int digits)
{
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out.append(hexDigitChar(value >> shift, true));
}

// Two lower-case digits and a space per byte: {0x01, 0xab} -> "01 ab ".
QString hexBytesText(const uint8_t *data, int length);

// Microseconds as seconds with six decimals and the unit, for intervals
// shown to a reader: 1000250 -> "1.000250 s".
QString secondsText(qint64 us);

// `value` in whole `unit`s, rounded towards minus infinity, and the remainder,
// never negative: times before the epoch stay in their own second.
inline std::pair<qint64, qint64> floorDivide(qint64 value, qint64 unit)
{
    qint64 whole = value / unit;
    qint64 rest = value % unit;
    if (rest < 0) {
        rest += unit;
        --whole;
    }
    return {whole, rest};
}
