// Encodes values with a DBC database for dbc_canmatrix.py, which decodes the
// frames with canmatrix: "dbc_encode FILE" reads "ID SIGNAL VALUE" lines and
// prints each frame (the message's length, zeros elsewhere) in hex and
// whether the value was clamped.
#include "dbccodec.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    const DbcLoad load = loadDbc(QString::fromLocal8Bit(argv[1]));
    if (!load.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(load.error.text()));
        return 1;
    }
    unsigned long id = 0;
    std::string name;
    std::string text;
    while (std::cin >> id >> name >> text) {
        const DbcMessage *message = load.database.standardMessage(quint32(id));
        if (!message)
            return 1;
        const DbcSignal *signal = nullptr;
        for (const DbcSignal &s : message->signalList)
            if (s.name == QString::fromStdString(name))
                signal = &s;
        double value = 0;
        const auto read = std::from_chars(text.data(), text.data() + text.size(), value);
        if (!signal || read.ec != std::errc())
            return 1;
        uint8_t data[CanFrame::kMaxData] = {};
        const bool clamped = dbcEncode(*signal, value, data);
        for (int i = 0; i < message->dlc; ++i)
            std::printf("%02X", data[i]);
        std::printf(" %d\n", clamped ? 1 : 0);
    }
    return 0;
}
