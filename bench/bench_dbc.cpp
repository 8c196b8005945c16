// The CAN database: frames decoded a second by one thread, a large DBC file
// read, and `votkbox-cli decode` over a million-frame capture. Prints
// "name value unit" lines.
#include "benchfigures.h"
#include "cansaveformat.h"
#include "clicommands.h"
#include "dbccodec.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

namespace {
constexpr int kSignals = 8;

// `messages` messages of eight 8-bit signals, Intel and Motorola in turn,
// some scaled, signed or with a value table.
QByteArray database(int messages)
{
    QByteArray text = "VERSION \"\"\nBU_: A B\n";
    for (int m = 0; m < messages; ++m) {
        text += "BO_ " + QByteArray::number(m) + " Message" + QByteArray::number(m) + ": 8 A\n";
        for (int s = 0; s < kSignals; ++s) {
            const bool intel = (m + s) % 2 == 0;
            // Intel counts from the low bit, Motorola from the high bit of a byte.
            const int start = intel ? s * 8 : s * 8 + 7;
            text += " SG_ S" + QByteArray::number(s) + " : " + QByteArray::number(start) + "|8@" +
                    (intel ? "1" : "0") + (s % 3 == 0 ? "-" : "+") +
                    (s % 2 ? " (0.25,-40)" : " (1,0)") + " [0|0] \"unit\" B\n";
        }
    }
    for (int m = 0; m < messages; ++m)
        text += "VAL_ " + QByteArray::number(m) +
                " S1 0 \"OFF\" 1 \"ON\" ;\n"
                "CM_ BO_ " +
                QByteArray::number(m) + " \"message " + QByteArray::number(m) + "\";\n";
    return text;
}

double decodeFps(const DbcDatabase &db)
{
    std::mt19937 random(1);
    std::vector<CanFrame> frames(4096);
    for (CanFrame &f : frames) {
        f.id = uint16_t(random() % 50);
        f.length = 8;
        for (uint8_t &b : f.data)
            b = uint8_t(random());
    }
    std::vector<DbcValue> values(kSignals);
    constexpr int kFrames = 10000000;
    double sum = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kFrames; ++i) {
        const CanFrame &f = frames[size_t(i) & 4095];
        if (const DbcMessage *m = db.standardMessage(f.id)) {
            const int n = dbcDecodeInto(*m, f.data, f.length, values.data());
            for (int k = 0; k < n; ++k)
                sum += values[size_t(k)].value;
        }
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (sum == 42) // keeps the loop from being optimised away
        std::printf("\n");
    return kFrames / seconds;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    quietBenchmark();
    QTemporaryDir dir;

    const DbcLoad small = parseDbc(database(50));
    if (!small.ok)
        return 1;
    printFigure("dbc_decode_fps", decodeFps(small.database), "frames/s", 0);

    const QString big = dir.filePath("big.dbc");
    QFile bigFile(big);
    if (!bigFile.open(QIODevice::WriteOnly) || bigFile.write(database(2000)) < 0)
        return 1;
    bigFile.close();
    QElapsedTimer timer;
    timer.start();
    const DbcLoad load = loadDbc(big);
    const double loadMs = double(timer.nsecsElapsed()) / 1e6;
    if (!load.ok || load.database.messages.size() != 2000)
        return 1;
    printFigure("dbc_load_ms_2000_messages", loadMs, "ms");

    // The demo box's database over a million frames of its identifiers.
    const QString capture = dir.filePath("capture.log");
    QFile captureFile(capture);
    if (!captureFile.open(QIODevice::WriteOnly))
        return 1;
    QByteArray text;
    uint8_t data[8];
    for (int i = 0; i < 1000000; ++i) {
        for (int b = 0; b < 8; ++b)
            data[b] = uint8_t((i >> (8 * (b % 4))) + b);
        appendCanSaveLine(text, CanSaveFormat::CandumpLog, 1733580000000000 + i * 100LL,
                          int(i % 50), data, 8, CanDirection::Received);
    }
    captureFile.write(text);
    captureFile.close();
    const QString small50 = dir.filePath("small.dbc");
    QFile smallFile(small50);
    if (!smallFile.open(QIODevice::WriteOnly) || smallFile.write(database(50)) < 0)
        return 1;
    smallFile.close();
    QFile out(QStringLiteral("/dev/null"));
    QFile err;
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 1;
    timer.restart();
    const int code = runCli({"decode", "--dbc", small50, capture}, &out, &err);
    const double cliMs = double(timer.nsecsElapsed()) / 1e6;
    if (code != 0)
        return 1;
    printFigure("decode_ms_per_1m_frames", cliMs, "ms");
    return 0;
}
