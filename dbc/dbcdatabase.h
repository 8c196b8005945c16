#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

// A CAN database read from a DBC file: the messages, their signals and how
// each signal's bits sit in a frame. Pure data; dbcreader.cpp fills it,
// dbccodec.* decodes and encodes frames with it.

enum class DbcByteOrder : uint8_t
{
    Motorola, // "@0": the start bit is the most significant bit
    Intel,    // "@1": the start bit is the least significant bit
};

enum class DbcValueType : uint8_t
{
    Integer,
    Float32, // SIG_VALTYPE_ 1
    Float64, // SIG_VALTYPE_ 2
};

enum class DbcMux : uint8_t
{
    None,
    Multiplexer, // "M"
    Multiplexed, // "mN": present when the multiplexer's raw value is N
};

// Where a signal's bits are in the data, worked out once at load so that
// decoding a frame is a few shifts per signal.
struct DbcBitLayout
{
    uint8_t firstByte = 0;
    uint8_t byteCount = 1; // 1 to 9 bytes hold the bits
    uint8_t shift = 0;     // right shift of the bytes read as one number
    // The frame needs this many data bytes for the signal to be decodable.
    uint8_t needBytes = 1;
};

struct DbcSignal
{
    QString name;
    int startBit = 0; // as the file numbers it, 0..511
    int length = 1;   // 1..64
    DbcByteOrder order = DbcByteOrder::Intel;
    bool isSigned = false;
    DbcValueType type = DbcValueType::Integer;
    double factor = 1;
    double offset = 0;
    double minimum = 0;
    double maximum = 0;
    QString unit;
    QStringList receivers;
    QString comment;
    DbcMux mux = DbcMux::None;
    qint64 muxValue = 0;
    // GenSigStartValue, a raw value; hasStartValue false when none is given.
    double startValue = 0;
    bool hasStartValue = false;
    // The value table, sorted by raw value.
    std::vector<std::pair<qint64, QString>> labels;
    DbcBitLayout layout;
};

struct DbcMessage
{
    quint32 id = 0; // without the extended mark
    bool extended = false;
    QString name;
    int dlc = 0;
    QString sender;
    QString comment;
    int cycleTimeMs = -1; // GenMsgCycleTime; -1 when none is given
    std::vector<DbcSignal> signalList;
    int multiplexer = -1; // index of the "M" signal, -1 without one
    // SG_MUL_VAL_ (a signal with several multiplexers) is not decoded.
    bool decoded = true;
    // The line of its BO_, for warnings.
    int line = 0;
};

struct DbcDatabase
{
    QString version;
    QString comment;
    QStringList nodes;
    QHash<QString, QString> nodeComments;
    QHash<QString, std::vector<std::pair<qint64, QString>>> valueTables;
    std::vector<DbcMessage> messages;
    // Index into `messages` by 11-bit identifier; -1 where none. Extended
    // messages are never here: the box's frames have 11-bit identifiers.
    std::vector<int> byStandardId;

    // The message of an 11-bit identifier, null when there is none.
    const DbcMessage *standardMessage(quint32 id) const
    {
        if (id >= byStandardId.size())
            return nullptr;
        const int i = byStandardId[id];
        return i < 0 ? nullptr : &messages[size_t(i)];
    }
    // Fills byStandardId (first message of an identifier wins) and every
    // signal's layout; the warnings for duplicate identifiers.
    QStringList index();
};

struct DbcError
{
    QString file;
    int line = 0;
    int column = 0;
    QString message;
    // "file:line:column: message"
    QString text() const;
};

struct DbcLoad
{
    bool ok = false;
    DbcDatabase database; // empty unless ok
    DbcError error;
    QStringList warnings; // each names the file and line
};

// Reads DBC text; `file` names it in errors and warnings. Nothing is loaded
// from a text with an error.
DbcLoad parseDbc(const QByteArray &text, const QString &file = QString());
// Reads the DBC file at `path`.
DbcLoad loadDbc(const QString &path);
// Several databases as one: the first one's message wins over a later one
// with the same identifier, which is warned about.
DbcDatabase mergeDbc(std::vector<DbcDatabase> databases, QStringList *warnings);

// The limits that hold against any file.
constexpr int kDbcMaxLineLength = 1 << 16;
constexpr qint64 kDbcMaxFileBytes = 64 << 20;
constexpr int kDbcMaxMessages = 1 << 16;
constexpr int kDbcMaxSignalsPerMessage = 4096;
constexpr int kDbcMaxBits = 512; // 64 data bytes
