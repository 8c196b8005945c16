#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cstdint>

// The socketcand protocol's raw mode as the server speaks it, without any
// I/O: splitting a client's bytes into "< ... >" messages, a client's state
// and what it may ask in it, and the texts of the answers, of a received
// frame and of the discovery beacon.

// The longest message taken: "< send 7FF 8 " and eight bytes, with room for
// padded fields. A longer one is an error of its own, and memory stays
// bounded whatever a client writes.
constexpr int SOCKETCAND_MAX_MESSAGE = 120;
// The longest bus name of "< open NAME >".
constexpr int SOCKETCAND_MAX_BUS_NAME = 16;

// Takes the complete messages ("< ... >", brackets included) off the front of
// `pending`; bytes before a '<' are dropped, an unfinished message stays. A
// message that grows past SOCKETCAND_MAX_MESSAGE is cut to that length
// (without its '>'), so it reads as malformed.
QVector<QByteArray> takeSocketcandMessages(QByteArray &pending);

// One client's side of a session: the state its messages move it through and
// the answer each gets.
class SocketcandSession
{
public:
    enum State
    {
        NoBus,   // greeted, no bus open
        BusOpen, // "< open NAME >" answered ok
        Raw,     // "< rawmode >" answered ok: frames flow
    };
    // What a message asks of the server.
    struct Step
    {
        // The message to write back, "< ... >"; empty for none.
        QByteArray answer;
        // A frame to put on the bus; only a frame the box can carry.
        bool send = false;
        quint16 id = 0;
        QVector<uint8_t> data;
        // This message switched raw mode on.
        bool startsFrames = false;
    };

    explicit SocketcandSession(const QByteArray &busName) : m_bus(busName) {}

    State state() const { return m_state; }
    // One complete message as takeSocketcandMessages gave it.
    Step handle(const QByteArray &message);

private:
    const QByteArray m_bus;
    State m_state = NoBus;
};

// The greeting, the success answer and the echo.
QByteArray socketcandGreeting();
QByteArray socketcandOk();
// "< error TEXT >"; '<' and '>' in TEXT become spaces.
QByteArray socketcandError(const QByteArray &text);

// Appends "< frame ID SECONDS.MICROSECONDS DATA >" as socketcand writes it:
// the identifier in three upper-case hex digits (eight above 7FF), the time
// since the epoch, the bytes in two digits each without spaces (a frame
// without data keeps both spaces around the empty field, which python-can
// needs). False and nothing appended for a length outside 0..8.
bool appendSocketcandFrame(QByteArray &out, int id, const uint8_t *data, int length, qint64 timeUs);

// The discovery beacon: the host's name, the url "can://ADDRESS:PORT" and
// the bus, as XML.
QByteArray socketcandBeacon(const QString &hostName, const QString &url, const QByteArray &bus);

// A bus name "< open NAME >" can carry: 1 to 16 printable characters, no
// space, '<' or '>'.
bool isSocketcandBusName(const QString &name);
