#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cstdint>

// The slcan (LAWICEL) serial protocol as the bridge speaks it, without any I/O:
// splitting the client's bytes into commands, reading a command, and the
// texts of the answers and of a received frame.

// The longest command the bridge accepts: "t", three identifier digits, the
// length digit and eight data bytes.
constexpr int SLCAN_MAX_COMMAND = 21;
// Success and failure answers.
constexpr char SLCAN_OK = '\r';
constexpr char SLCAN_ERROR = '\a';
// The status flag "data overrun" of the answer to F.
constexpr int SLCAN_FLAG_OVERRUN = 0x08;

struct SlcanCommand
{
    enum Kind
    {
        Malformed,     // anything not below, T, r and R included: answered BEL
        Open,          // O
        ListenOnly,    // L
        Close,         // C
        BitRate,       // S0..S8, sxxyy: accepted, the box's firmware sets the rate
        Send,          // tIIILDD..
        Version,       // V
        BridgeVersion, // v
        Serial,        // N
        Status,        // F
        Timestamps     // Z0, Z1
    };
    Kind kind = Malformed;
    quint16 id = 0;
    QVector<uint8_t> data;
    bool timestamps = false;
};

// Takes the complete commands (without their CR) off the front of `pending`;
// what follows the last CR stays. A LF after a CR is ignored, as some clients
// send CR LF. A command that grows past SLCAN_MAX_COMMAND is cut, so it stays
// malformed and memory stays bounded whatever the client writes.
QVector<QByteArray> takeSlcanCommands(QByteArray &pending);

// Reads one command (without its CR).
SlcanCommand parseSlcanCommand(const QByteArray &command);

// Appends one received frame, "tIIILDD..[TTTT]" and CR; an identifier above
// 7FF is written as an extended frame "TIIIIIIIIL..". `timestampMs` is the
// millisecond timestamp (taken modulo 60000), or negative for none. Records
// without an identifier or with more than eight data bytes cannot be told in
// slcan: false, nothing appended.
bool appendSlcanFrame(QByteArray &out, int id, const uint8_t *data, int length, qint64 timestampMs);

// "Vhhss" from the box's software version: its top byte and its low byte, two
// decimal digits each (modulo 100).
QByteArray slcanVersionText(quint32 softwareVersion);
// "vmmnn" from this tool's version "major.minor[.patch]".
QByteArray slcanBridgeVersionText(const QString &version);
// "Nxxxx": the last four hexadecimal digits of the serial number, upper case,
// padded with zeros in front ("N0000" when it has none).
QByteArray slcanSerialText(const QString &serialNumber);
// "Fxx": the status flags in two hexadecimal digits.
QByteArray slcanStatusText(int flags);
