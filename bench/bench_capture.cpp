// Opening a saved capture: a million frames written as the window saves
// them, then read from the file, checked and loaded into a trace's rows as
// "Open..." does. Prints "name value unit" lines, one per file format.
#include "benchfigures.h"
#include "canidsummarymodel.h"
#include "canrxmodel.h"
#include "cansaveformat.h"
#include "cantracewindow.h"
#include "capturefile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int kRows = 1000000;

// A busy bus of twenty identifiers, a sent frame now and then.
QByteArray capture(CanSaveFormat format)
{
    QByteArray text = canSaveHeader(format);
    uint8_t data[8] = {0x02, 0x01, 0x0c, 0, 0, 0, 0, 0};
    for (int i = 0; i < kRows; ++i) {
        data[7] = uint8_t(i);
        appendCanSaveLine(text, format, 1733580000000000 + qint64(i) * 111, 0x700 + i % 20, data, 8,
                          i % 50 ? CanDirection::Received : CanDirection::Sent);
    }
    return text;
}

// Milliseconds from the file to the rows; -1 when the frames are not all there.
double open(const QString &path, CanSaveFormat format)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    CanRxModel rows;
    CanIdSummaryModel ids;
    const CaptureFile read = loadCaptureRows(file, format, &rows, &ids);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    return rows.stored() == kRows && read.skipped == 0 ? ms : -1;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    int status = 0;
    for (CanSaveFormat format : {CanSaveFormat::CandumpLog, CanSaveFormat::Csv}) {
        const bool log = format == CanSaveFormat::CandumpLog;
        const QString path = dir.filePath(log ? "capture.log" : "capture.csv");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(capture(format)) < 0)
            return 1;
        file.close();
        const double ms = open(path, format);
        if (ms < 0) {
            std::fprintf(stderr, "bench_capture: the capture did not load whole\n");
            status = 1;
        }
        printFigure(log ? "capture_open_ms_per_1m_rows" : "capture_open_csv_ms_per_1m_rows", ms,
                    "ms");
    }
    return status;
}
