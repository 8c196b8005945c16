#pragma once

#include "canframetype.h"
#include "dbccodec.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

class CliContext;

// What decode and monitor share of the DBC databases: reading them once,
// before anything runs, and the text of a decoded frame.

// Reads and merges `files` into cli.dbc, their warnings said on standard
// error; CLI_REFUSED with the file, line and column of a file it cannot read.
int loadDatabases(CliContext &cli, const QStringList &files);

// Decodes frames with one database into a buffer it keeps, so that a frame
// costs no allocation.
class FrameDecoder
{
public:
    explicit FrameDecoder(const DbcDatabase &db);
    // The frame's message (null: none) and its values in values()/count().
    const DbcMessage *decode(const CanFrame &frame);
    const DbcValue *values() const { return m_values.data(); }
    int count() const { return m_count; }
    // One CSV row per signal of the frame decode() was last given:
    // time,dir,id,message,signal,value,unit,label.
    void appendCsvRows(QByteArray &out, const CanFrame &frame) const;

private:
    const DbcDatabase &m_db;
    const DbcMessage *m_message = nullptr;
    std::vector<DbcValue> m_values;
    int m_count = 0;
    // The CSV fields of every message and signal, quoted where needed, made
    // once: a million frames would otherwise convert them a million times.
    std::vector<QByteArray> m_messageFields;
    std::vector<std::vector<QByteArray>> m_signalFields; // "signal," ... ",unit,"
};

// The capture's time as saved: seconds and six decimals, "1733580000.000000".
void appendSeconds(QByteArray &out, qint64 timeUs);
// "7DF" as the tool prints identifiers, eight digits above 7FF.
void appendIdHex(QByteArray &out, int id);
// The direction as the CSV capture says it: "Rx" or "Tx".
const char *directionText(CanDirection direction);

// One JSON object and newline for the frame: time, dir, id, data, message
// (null without one) and signals {name: value} (null where not decodable).
void appendJsonFrame(QByteArray &out, const CanFrame &frame, const DbcMessage *message,
                     const DbcValue *values, int count);
// "  ; Message: Signal=value unit, ..." after a monitor line.
void appendMonitorText(QByteArray &out, const DbcMessage &message, const DbcValue *values,
                       int count);
