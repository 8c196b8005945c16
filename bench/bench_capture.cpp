// Opening a saved capture: a million frames written as the window saves
// them, then read from the file, checked and loaded into a trace's rows as
// "Open..." does. Prints "name value unit" lines, one per file format.
#include "benchfigures.h"
#include "canidsummarymodel.h"
#include "canrxmodel.h"
#include "cansaveformat.h"
#include "cantracewindow.h"
#include "capturefile.h"
#include "capturewriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int kRows = 1000000;

// A busy bus of twenty identifiers, a sent frame now and then, written to
// `path` as the window's save writes it.
bool writeCapture(const QString &path, CanSaveFormat format)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    CaptureWriter writer(file, format);
    CanFrame frame;
    const uint8_t data[8] = {0x02, 0x01, 0x0c, 0, 0, 0, 0, 0};
    frame.setData(data, 8);
    for (int i = 0; i < kRows; ++i) {
        frame.data[7] = uint8_t(i);
        frame.timeUs = 1733580000000000 + qint64(i) * 111;
        frame.id = quint16(0x700 + i % 20);
        frame.direction = i % 50 ? CanDirection::Received : CanDirection::Sent;
        if (!writer.write(frame))
            return false;
    }
    return writer.close();
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
    const struct
    {
        CanSaveFormat format;
        const char *file;
        const char *figure;
    } formats[] = {
        {CanSaveFormat::CandumpLog, "capture.log", "capture_open_ms_per_1m_rows"},
        {CanSaveFormat::Csv, "capture.csv", "capture_open_csv_ms_per_1m_rows"},
        {CanSaveFormat::Asc, "capture.asc", "capture_open_ms_per_1m_rows_asc"},
        {CanSaveFormat::Trc, "capture.trc", "capture_open_ms_per_1m_rows_trc"},
        {CanSaveFormat::Blf, "capture.blf", "capture_open_ms_per_1m_rows_blf"},
    };
    for (const auto &f : formats) {
        const QString path = dir.filePath(QLatin1String(f.file));
        if (!writeCapture(path, f.format))
            return 1;
        const double ms = open(path, f.format);
        if (ms < 0) {
            std::fprintf(stderr, "bench_capture: the %s capture did not load whole\n", f.file);
            status = 1;
        }
        printFigure(f.figure, ms, "ms");
        QFile::remove(path);
    }
    return status;
}
