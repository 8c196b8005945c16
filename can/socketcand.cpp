#include "socketcand.h"

#include "canframe.h"

#include <QList>

namespace {
// The value of a field of 1 to `maxDigits` hex digits, or -1.
qint64 hexField(const QByteArray &field, int maxDigits)
{
    if (field.isEmpty() || field.size() > maxDigits)
        return -1;
    return hexDigitsValue(field.constData(), int(field.size()));
}

// A client's word as an answer may quote it: printable, no brackets, short.
QByteArray quoted(const QByteArray &word)
{
    QByteArray text = word.left(24);
    for (char &c : text)
        if (c < 0x21 || c > 0x7E)
            c = '?';
    return text;
}

using Step = SocketcandSession::Step;

Step error(const QByteArray &text)
{
    Step step;
    step.answer = socketcandError(text);
    return step;
}

// "send ID LEN B0 B1 ...": a frame the box can carry, or why not.
Step sendStep(const QList<QByteArray> &words)
{
    if (words.size() < 3)
        return error("send needs an identifier and a length");
    const qint64 id = hexField(words.at(1), 8);
    if (id < 0)
        return error("bad identifier " + quoted(words.at(1)));
    // Eight digits mark an extended frame, as socketcand reads them.
    if (id > 0x7FF || words.at(1).size() == 8)
        return error("identifier " + quoted(words.at(1)) +
                     ": the box sends 11-bit identifiers only (000 to 7FF)");
    const qint64 length = hexField(words.at(2), 2);
    if (length < 0)
        return error("bad length " + quoted(words.at(2)));
    if (length > 8)
        return error("the box sends at most 8 data bytes");
    if (words.size() - 3 != length)
        return error("the length is " + QByteArray::number(length) + " but " +
                     QByteArray::number(words.size() - 3) + " bytes follow");
    Step step;
    for (int i = 3; i < words.size(); ++i) {
        const qint64 byte = hexField(words.at(i), 2);
        if (byte < 0)
            return error("bad data byte " + quoted(words.at(i)));
        step.data.append(uint8_t(byte));
    }
    step.send = true;
    step.id = quint16(id);
    return step;
}
} // namespace

QVector<QByteArray> takeSocketcandMessages(QByteArray &pending)
{
    QVector<QByteArray> messages;
    int from = 0;
    while (true) {
        const int start = pending.indexOf('<', from);
        if (start < 0) {
            from = pending.size();
            break;
        }
        const int end = pending.indexOf('>', start);
        if (end < 0) {
            from = start;
            if (pending.size() - start > SOCKETCAND_MAX_MESSAGE) {
                // Never finished within bounds: taken as it is, malformed.
                messages.append(pending.mid(start, SOCKETCAND_MAX_MESSAGE));
                from = pending.size();
            }
            break;
        }
        messages.append(end + 1 - start > SOCKETCAND_MAX_MESSAGE
                            ? pending.mid(start, SOCKETCAND_MAX_MESSAGE)
                            : pending.mid(start, end + 1 - start));
        from = end + 1;
    }
    pending.remove(0, from);
    return messages;
}

SocketcandSession::Step SocketcandSession::handle(const QByteArray &message)
{
    if (message.size() < 2 || !message.startsWith('<') || !message.endsWith('>'))
        return error("message too long or unfinished");
    const QList<QByteArray> words = message.mid(1, message.size() - 2).simplified().split(' ');
    const QByteArray command = words.first();
    if (command.isEmpty())
        return error("empty message");
    if (command == "echo" && words.size() == 1) {
        Step step;
        step.answer = "< echo >";
        return step;
    }
    if (command == "open") {
        if (m_state != NoBus)
            return error("a bus is open already");
        if (words.size() != 2)
            return error("open takes one bus name");
        if (words.at(1) != m_bus)
            return error("no bus " + quoted(words.at(1)) + ", only " + m_bus);
        m_state = BusOpen;
        Step step;
        step.answer = socketcandOk();
        return step;
    }
    if (command == "rawmode" && words.size() == 1) {
        if (m_state == NoBus)
            return error("open a bus first");
        Step step;
        step.answer = socketcandOk();
        step.startsFrames = m_state != Raw;
        m_state = Raw;
        return step;
    }
    if (command == "send") {
        if (m_state == NoBus)
            return error("open a bus first");
        return sendStep(words);
    }
    if (command == "sendrtr")
        return error("the box sends no remote frames");
    return error("unknown command " + quoted(command));
}

QByteArray socketcandGreeting()
{
    return "< hi >";
}

QByteArray socketcandOk()
{
    return "< ok >";
}

QByteArray socketcandError(const QByteArray &text)
{
    QByteArray clean = text;
    clean.replace('<', ' ').replace('>', ' ');
    return "< error " + clean + " >";
}

bool appendSocketcandFrame(QByteArray &out, int id, const uint8_t *data, int length, qint64 timeUs)
{
    if (id < 0 || length < 0 || length > 8)
        return false;
    out.append("< frame ");
    appendHexDigits(out, unsigned(id), id > 0x7FF ? 8 : 3);
    const auto [seconds, micros] = floorDivide(timeUs, 1000000);
    out.append(' ');
    out.append(QByteArray::number(seconds));
    out.append('.');
    out.append(QByteArray::number(micros).rightJustified(6, '0'));
    out.append(' ');
    for (int i = 0; i < length; ++i)
        appendHexDigits(out, data[i], 2);
    out.append(" >");
    return true;
}

QByteArray socketcandBeacon(const QString &hostName, const QString &url, const QByteArray &bus)
{
    return "<CANBeacon name=\"" + hostName.toHtmlEscaped().toUtf8() +
           "\" type=\"adapter\" description=\"VOTK-WIFI BOX\"><URL>" +
           url.toHtmlEscaped().toUtf8() + "</URL><Bus name=\"" +
           QString::fromLatin1(bus).toHtmlEscaped().toUtf8() + "\"/></CANBeacon>";
}

bool isSocketcandBusName(const QString &name)
{
    if (name.isEmpty() || name.size() > SOCKETCAND_MAX_BUS_NAME)
        return false;
    for (const QChar c : name)
        if (c.unicode() < 0x21 || c.unicode() > 0x7E || c == QLatin1Char('<') ||
            c == QLatin1Char('>'))
            return false;
    return true;
}
