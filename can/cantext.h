#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <limits>
#include <optional>

// The text side of the CAN tab, without widgets: the normal form of the data
// fields, the parsing and checking of a frame to send, and the texts of a
// received frame.

// Two characters and a space per pair: "1234" -> "12 34 ", "123" -> "12 ".
QString format_hex_pairs(const QString &token);

// What a data field's change handler does with the field's text.
struct CanDataRewrite
{
    // Set the field to `text` (cursor at its end) with the formatting flag raised.
    bool rewrite = false;
    QString text;
};

// The longest normalised data text: eight pairs and seven spaces.
constexpr int CAN_DATA_MAX_TEXT = 23;

// Decides the data field's rewrite from its text, its cursor position and the
// shared formatting flag, and writes the reasons to the debug log, the "####"
// line first. The flag is clear after the handler in every case.
CanDataRewrite canDataRewrite(const QString &text, int cursorPosition, bool formatting);

// The lines written on every change of a CAN data field, "votkbox.typing":
// off by default like every debug line of the tool (see devicelog.h), and
// apart from the others so that debugging need not mean a line per keystroke.
Q_DECLARE_LOGGING_CATEGORY(lcCanTyping)

// The highest standard (11-bit) CAN identifier.
constexpr quint16 CAN_ID_MAX = 0x7FF;
// The most data bytes a classic CAN frame carries.
constexpr int CAN_DATA_MAX_BYTES = 8;

// The ID field: 1 to 3 hexadecimal digits, spaces around them ignored but none
// between them, at most CAN_ID_MAX. Anything else is refused (no value).
std::optional<quint16> parseCanId(const QString &text);
// The data field: up to eight pieces of one or two hexadecimal digits between
// single spaces, with one trailing space allowed; or one run of digit pairs
// without spaces (as pasted, up to 16 digits), read pair by pair the way the
// field itself would split it. An empty text is no bytes. Anything else is
// refused (no value), so that nothing but the typed bytes reaches the bus.
std::optional<QVector<uint8_t>> parseCanData(const QString &text);

// "hh:mm:ss.zzz" of a local time given in milliseconds since the epoch.
QString canRxTimeText(qint64 msecsSinceEpoch);

// The time of handling for each received row. Converting to local time is the
// costly part, so it is done once per second and only the milliseconds are
// formatted per row.
class CanRxClock
{
public:
    QString text(qint64 msecsSinceEpoch);
    QString now();

private:
    qint64 m_second = std::numeric_limits<qint64>::min(); // no second formatted yet
    QString m_prefix;
};
