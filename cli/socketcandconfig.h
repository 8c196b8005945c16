#pragma once

#include <QByteArray>
#include <QVector>

// What `socketcand` was told on the command line.

// An IPv4 range of --allow: the address's top `bits` bits (host order).
struct Ipv4Range
{
    quint32 address = 0;
    int bits = 32;
    bool contains(quint32 other) const
    {
        const quint32 mask = bits == 0 ? 0 : ~quint32(0) << (32 - bits);
        return (other & mask) == (address & mask);
    }
};

struct SocketcandConfig
{
    quint32 address = 0x7F000001; // host order
    quint16 port = 29536;
    QByteArray bus = "can0";
    bool beacon = false;
    int maxClients = 8;
    // Empty: every client is let in.
    QVector<Ipv4Range> allow;
};
