#include "slcan.h"

#include "canframe.h"

#include <QStringList>

namespace {
// The value of `count` hex digits at `from`, or -1 if one is no hex digit.
int hexNumber(const QByteArray &text, int from, int count)
{
    return int(hexDigitsValue(text.constData() + from, count));
}

QByteArray twoDecimals(unsigned value)
{
    return QByteArray::number(value % 100).rightJustified(2, '0');
}

SlcanCommand parseSend(const QByteArray &command)
{
    SlcanCommand c;
    if (command.size() < 5)
        return c;
    const int id = hexNumber(command, 1, 3);
    const int length = command.at(4) - '0';
    if (id < 0 || id > 0x7FF || length < 0 || length > 8 || command.size() != 5 + 2 * length)
        return c;
    QVector<uint8_t> data;
    for (int i = 0; i < length; ++i) {
        const int byte = hexNumber(command, 5 + 2 * i, 2);
        if (byte < 0)
            return c;
        data.append(uint8_t(byte));
    }
    c.kind = SlcanCommand::Send;
    c.id = quint16(id);
    c.data = data;
    return c;
}
} // namespace

QVector<QByteArray> takeSlcanCommands(QByteArray &pending)
{
    QVector<QByteArray> commands;
    int start = 0;
    for (int cr = pending.indexOf('\r'); cr >= 0; cr = pending.indexOf('\r', start)) {
        QByteArray command = pending.mid(start, cr - start);
        if (command.startsWith('\n'))
            command.remove(0, 1);
        commands.append(command.left(SLCAN_MAX_COMMAND + 1));
        start = cr + 1;
    }
    pending.remove(0, start);
    if (pending.size() > SLCAN_MAX_COMMAND + 2)
        pending.truncate(SLCAN_MAX_COMMAND + 2);
    return commands;
}

SlcanCommand parseSlcanCommand(const QByteArray &command)
{
    SlcanCommand c;
    if (command.isEmpty() || command.size() > SLCAN_MAX_COMMAND)
        return c;
    const char first = command.at(0);
    if (command.size() == 1) {
        switch (first) {
        case 'O':
            c.kind = SlcanCommand::Open;
            break;
        case 'L':
            c.kind = SlcanCommand::ListenOnly;
            break;
        case 'C':
            c.kind = SlcanCommand::Close;
            break;
        case 'V':
            c.kind = SlcanCommand::Version;
            break;
        case 'v':
            c.kind = SlcanCommand::BridgeVersion;
            break;
        case 'N':
            c.kind = SlcanCommand::Serial;
            break;
        case 'F':
            c.kind = SlcanCommand::Status;
            break;
        default:
            break;
        }
        return c;
    }
    if (first == 'S' && command.size() == 2 && command.at(1) >= '0' && command.at(1) <= '8')
        c.kind = SlcanCommand::BitRate;
    else if (first == 's' && command.size() == 5 && hexNumber(command, 1, 4) >= 0)
        c.kind = SlcanCommand::BitRate;
    else if (first == 'Z' && command.size() == 2 &&
             (command.at(1) == '0' || command.at(1) == '1')) {
        c.kind = SlcanCommand::Timestamps;
        c.timestamps = command.at(1) == '1';
    } else if (first == 't') {
        c = parseSend(command);
    }
    return c;
}

bool appendSlcanFrame(QByteArray &out, int id, const uint8_t *data, int length, qint64 timestampMs)
{
    if (id < 0 || length < 0 || length > 8)
        return false;
    if (id > 0x7FF) {
        out.append('T');
        appendHexDigits(out, unsigned(id), 8);
    } else {
        out.append('t');
        appendHexDigits(out, unsigned(id), 3);
    }
    out.append(char('0' + length));
    for (int i = 0; i < length; ++i)
        appendHexDigits(out, data[i], 2);
    if (timestampMs >= 0)
        appendHexDigits(out, unsigned(timestampMs % 60000), 4);
    out.append(SLCAN_OK);
    return true;
}

QByteArray slcanVersionText(quint32 softwareVersion)
{
    return "V" + twoDecimals(softwareVersion >> 24) + twoDecimals(softwareVersion & 0xFF);
}

QByteArray slcanBridgeVersionText(const QString &version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    return "v" + twoDecimals(parts.value(0).toUInt()) + twoDecimals(parts.value(1).toUInt());
}

QByteArray slcanSerialText(const QString &serialNumber)
{
    QByteArray digits;
    for (int i = serialNumber.size() - 1; i >= 0 && digits.size() < 4; --i) {
        const QChar ch = serialNumber.at(i);
        if (ch.unicode() < 128 && hexDigitValue(char(ch.unicode())) >= 0)
            digits.prepend(char(ch.toUpper().unicode()));
        else
            break;
    }
    return "N" + digits.rightJustified(4, '0');
}

QByteArray slcanStatusText(int flags)
{
    QByteArray text("F");
    appendHexDigits(text, unsigned(flags) & 0xFF, 2);
    return text;
}
