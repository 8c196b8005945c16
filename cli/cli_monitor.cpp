// monitor: CAN reporting on, each frame printed as it comes, reporting off.
#include "canreporting.h"
#include "canrxthread.h"
#include "cansaveformat.h"
#include "capturerecorder.h"
#include "clidbc.h"
#include "clioutput.h"
#include "clitable.h"
#include "stopsignal.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {
// The largest --count and --seconds taken: a count fits a 32-bit counter and
// a time the timer's milliseconds.
constexpr qint64 kMaxCount = 2147483647;
constexpr double kMaxSeconds = 2000000;

} // namespace

int checkMonitorInput(CliContext &cli, const CliOptions &options)
{
    if (options.count > kMaxCount)
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("monitor: --count is at most %1").arg(kMaxCount));
    if (options.seconds > kMaxSeconds)
        return cli.fail(
            CLI_REFUSED,
            QStringLiteral("monitor: --seconds is at most %1").arg(qint64(kMaxSeconds)));
    return loadDatabases(cli, options.dbcFiles);
}

// Every way of ending (count, time, a stop signal, a failed write, the box
// gone) goes through the same end: reporting off, frames in flight read.
int cliMonitor(CliContext &cli, const CliOptions &options)
{
    const qint64 count = options.count;
    const CanSaveFormat format = options.csv ? CanSaveFormat::Csv : CanSaveFormat::CandumpLog;
    const DbcDatabase noDatabase;
    FrameDecoder decoder(cli.dbc ? *cli.dbc : noDatabase);
    CanRxThread reader(cli.link);
    QEventLoop loop;
    qint64 printed = 0;
    bool ending = false;
    bool writeFailed = false;
    bool boxGone = false;
    // --output: the frames printed are recorded too, on a thread of their own.
    std::unique_ptr<CaptureRecorder> recorder;
    if (!options.output.isEmpty()) {
        recorder = std::make_unique<CaptureRecorder>();
        const RecordingPlan plan{options.output, options.outputFormat, options.rotateMb * 1000000,
                                 qint64(options.rotateSeconds * 1000000)};
        QString why;
        if (!recorder->start(plan, &why))
            return cli.fail(CLI_REFUSED, QStringLiteral("monitor: cannot record: %1").arg(why));
        QObject::connect(recorder.get(), &CaptureRecorder::finished, &loop,
                         [&](const QString &error) {
                             if (!error.isEmpty())
                                 loop.quit();
                         });
    }
    QObject::connect(
        &reader, &CanRxThread::send_can_rx, &loop,
        [&](const QVector<CanFrame> &frames) {
            if (recorder && !writeFailed) {
                const qint64 room = count >= 0 ? count - printed : frames.size();
                recorder->add(room >= frames.size() ? frames : frames.mid(0, int(room)));
            }
            for (const CanFrame &frame : frames) {
                if ((count >= 0 && printed >= count) || writeFailed)
                    return;
                // The same lines as the window's Save; a decoded frame's
                // signals after its line.
                QByteArray line;
                const DbcMessage *message = decoder.decode(frame);
                if (options.jsonl) {
                    appendJsonFrame(line, frame, message, decoder.values(), decoder.count());
                } else {
                    appendCanSaveLine(line, format, frame);
                    if (message) {
                        line.chop(1);
                        appendMonitorText(line, *message, decoder.values(), decoder.count());
                        line.append('\n');
                    }
                }
                if (!writeData(cli, QString::fromUtf8(line))) {
                    writeFailed = true;
                    loop.quit();
                    return;
                }
                if (++printed == count && !ending)
                    loop.quit();
            }
        },
        // Always queued: frames this thread's own exchanges read must not
        // overtake the ones the reader thread has already posted.
        Qt::QueuedConnection);
    QObject::connect(&reader, &CanRxThread::sig_read_failed, &loop, [&] {
        boxGone = true;
        loop.quit();
    });
    if (options.csv && !writeData(cli, QString::fromLatin1(canSaveHeader(format))))
        return outputFailed(cli);
    QTimer deadline;
    if (options.seconds > 0) {
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(int(options.seconds * 1000));
    }
    const std::unique_ptr<QSocketNotifier> stop = stopSignalNotifier();
    if (stop)
        QObject::connect(stop.get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit);

    bool off = false;
    {
        CanReporting reporting(cli.link, reader);
        if (!reporting.switchOn().answered)
            return cli.noAnswer(QStringLiteral("the request to report CAN frames"));
        reader.start();
        loop.exec();

        // Frames still on their way when reporting goes off are printed too.
        ending = true;
        reader.stop();
        off = reporting.switchOff().answered;
    }
    QCoreApplication::sendPostedEvents(&loop);
    if (recorder)
        recorder->finish();
    if (boxGone)
        return cli.fail(CLI_NO_ANSWER, QStringLiteral("the box went away"));
    if (recorder && !recorder->error().isEmpty())
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("monitor: recording stopped: %1").arg(recorder->error()));
    if (!off)
        return cli.noAnswer(QStringLiteral("the request to stop reporting CAN frames"));
    if (writeFailed)
        return outputFailed(cli);
    return CLI_OK;
}
