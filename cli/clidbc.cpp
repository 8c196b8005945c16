#include "clidbc.h"

#include "canframe.h"
#include "clitable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>

int loadDatabases(CliContext &cli, const QStringList &files)
{
    if (files.isEmpty())
        return CLI_OK;
    std::vector<DbcDatabase> databases;
    QStringList warnings;
    for (const QString &file : files) {
        DbcLoad load = loadDbc(file);
        for (const QString &warning : load.warnings)
            cli.say(QStringLiteral("votkbox-cli: warning: ") + warning);
        if (!load.ok)
            return cli.fail(CLI_REFUSED, load.error.text());
        databases.push_back(std::move(load.database));
    }
    auto merged = std::make_shared<DbcDatabase>(mergeDbc(std::move(databases), &warnings));
    // A duplicate inside one file was told when that file was read.
    if (files.size() > 1)
        for (const QString &warning : warnings)
            cli.say(QStringLiteral("votkbox-cli: warning: ") + warning);
    cli.dbc = merged;
    return CLI_OK;
}

namespace {
void appendNumber(QByteArray &out, double value)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, int(r.ptr - buf));
}

void appendCsvField(QByteArray &out, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') ||
        bytes.contains('\r')) {
        out.append('"');
        for (char c : bytes) {
            if (c == '"')
                out.append('"');
            out.append(c);
        }
        out.append('"');
    } else {
        out.append(bytes);
    }
}

void appendJsonString(QByteArray &out, const QString &text)
{
    out.append('"');
    for (char c : text.toUtf8()) {
        if (c == '"' || c == '\\') {
            out.append('\\');
            out.append(c);
        } else if (uchar(c) < 0x20) {
            out.append("\\u00");
            out.append(hexDigitChar(uchar(c) >> 4, false));
            out.append(hexDigitChar(uchar(c), false));
        } else {
            out.append(c);
        }
    }
    out.append('"');
}
} // namespace

FrameDecoder::FrameDecoder(const DbcDatabase &db) : m_db(db)
{
    size_t most = 0;
    for (const DbcMessage &m : db.messages) {
        most = std::max(most, m.signalList.size());
        QByteArray field;
        appendCsvField(field, m.name);
        m_messageFields.push_back(field + ',');
        std::vector<QByteArray> fields;
        for (const DbcSignal &signal : m.signalList) {
            field.clear();
            appendCsvField(field, signal.name);
            fields.push_back(field + ',');
            field = ",";
            appendCsvField(field, signal.unit);
            fields.push_back(field + ',');
        }
        m_signalFields.push_back(std::move(fields));
    }
    m_values.resize(most);
}

const DbcMessage *FrameDecoder::decode(const CanFrame &frame)
{
    m_message = frame.isExtended() ? nullptr : m_db.standardMessage(frame.id);
    m_count = m_message ? dbcDecodeInto(*m_message, frame.data, frame.length, m_values.data()) : 0;
    return m_message;
}

void FrameDecoder::appendCsvRows(QByteArray &out, const CanFrame &frame) const
{
    if (!m_message)
        return;
    const size_t messageIndex = size_t(m_message - m_db.messages.data());
    const std::vector<QByteArray> &fields = m_signalFields[messageIndex];
    char start[64];
    QByteArray time;
    appendSeconds(time, frame.timeUs);
    const int startLength = std::snprintf(start, sizeof start, "%s,%s,", time.constData(),
                                          directionText(frame.direction));
    QByteArray id;
    appendIdHex(id, frame.id);
    for (int i = 0; i < m_count; ++i) {
        const DbcValue &v = m_values[size_t(i)];
        const size_t signalIndex = size_t(v.signal - m_message->signalList.data());
        out.append(start, startLength);
        out.append(id);
        out.append(',');
        out.append(m_messageFields[messageIndex]);
        out.append(fields[2 * signalIndex]);
        const bool ok = v.state == DbcValueState::Ok;
        if (ok)
            appendNumber(out, v.value);
        out.append(fields[2 * signalIndex + 1]);
        if (const QString *label = ok ? dbcLabel(*v.signal, v.raw) : nullptr)
            appendCsvField(out, *label);
        out.append('\n');
    }
}

void appendSeconds(QByteArray &out, qint64 timeUs)
{
    const auto [seconds, micros] = floorDivide(timeUs, 1000000);
    char buf[48];
    const int n = std::snprintf(buf, sizeof buf, "%lld.%06lld", static_cast<long long>(seconds),
                                static_cast<long long>(micros));
    out.append(buf, n);
}

void appendIdHex(QByteArray &out, int id)
{
    const int digits = id > 0x7FF ? 8 : 3;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out.append(hexDigitChar(unsigned(id) >> shift, true));
}

const char *directionText(CanDirection direction)
{
    return direction == CanDirection::Sent ? "Tx" : "Rx";
}

void appendJsonFrame(QByteArray &out, const CanFrame &frame, const DbcMessage *message,
                     const DbcValue *values, int count)
{
    out.append("{\"time\":");
    appendSeconds(out, frame.timeUs);
    out.append(",\"dir\":\"");
    out.append(directionText(frame.direction));
    out.append("\",\"id\":\"");
    appendIdHex(out, frame.id);
    out.append("\",\"data\":\"");
    for (int i = 0; i < frame.length; ++i) {
        out.append(hexDigitChar(frame.data[i] >> 4, true));
        out.append(hexDigitChar(frame.data[i], true));
    }
    out.append("\",\"message\":");
    if (message)
        appendJsonString(out, message->name);
    else
        out.append("null");
    out.append(",\"signals\":{");
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out.append(',');
        appendJsonString(out, values[i].signal->name);
        out.append(':');
        // JSON has no NaN or infinity.
        if (values[i].state == DbcValueState::Ok && std::isfinite(values[i].value))
            appendNumber(out, values[i].value);
        else
            out.append("null");
    }
    out.append("}}\n");
}

void appendMonitorText(QByteArray &out, const DbcMessage &message, const DbcValue *values,
                       int count)
{
    out.append("  ; ");
    out.append(message.name.toUtf8());
    out.append(": ");
    out.append(dbcValuesText(values, count).toUtf8());
}
