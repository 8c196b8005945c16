// replay: the frames of a saved capture sent again with their recorded gaps.
#include "cantxworker.h"
#include "clicapture.h"
#include "clitable.h"
#include "replaytimeline.h"
#include "stopsignal.h"

#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>
#include <utility>

namespace {
// Progress is told this often.
constexpr int kProgressMs = 200;
constexpr int kLinesEveryMs = 1000;

// Reads and checks the whole capture, once; CLI_OK with the frames to send.
int readCapture(CliContext &cli, const CliOptions &options, QVector<ReplayFrame> *frames)
{
    const QString name = options.args.at(0);
    CanSaveFormat format;
    QFile file;
    if (const int refused = openCliCapture(cli, name, &format, &file))
        return refused;
    const ReplayCapture capture = readReplayCapture(file, format, qint64(options.startAt * 1e6));
    if (capture.readFailed)
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("%1 cannot be read: %2").arg(name, file.errorString()));
    if (capture.problem != CaptureProblem::None)
        return cli.fail(CLI_REFUSED, QStringLiteral("%1: %2 %3, nothing was sent")
                                         .arg(name)
                                         .arg(capturePlaceText(capture.line, capture.atByte))
                                         .arg(captureProblemText(capture.problem)));
    if (capture.tooMany)
        return cli.fail(CLI_REFUSED, QStringLiteral("%1 has more than %2 frames to replay, more "
                                                    "than one replay holds; nothing was sent")
                                         .arg(name)
                                         .arg(ReplayTimeline::kMaxFrames));
    *frames = capture.frames;
    if (frames->isEmpty())
        return cli.fail(CLI_REFUSED, QStringLiteral("%1 has no frames to replay").arg(name));
    return CLI_OK;
}

void tellProgress(CliContext &cli, qint64 sent, qint64 total)
{
    if (cli.tty) {
        const int filled = int(sent * 40 / total);
        cli.err << "\r[" << QString(filled, QLatin1Char('#'))
                << QString(40 - filled, QLatin1Char(' ')) << "] " << sent << '/' << total;
    } else {
        cli.err << cli.prefix << "replayed " << sent << " of " << total << '\n';
    }
    cli.err.flush();
}
} // namespace

// The capture is read here, before the box is opened, and only here: a
// second read of a file being written could differ, or wait.
int checkReplayInput(CliContext &cli, const CliOptions &options)
{
    return readCapture(cli, options, &cli.replayFrames);
}

int cliReplay(CliContext &cli, const CliOptions &options)
{
    const QVector<ReplayFrame> frames = std::exchange(cli.replayFrames, {});
    if (frames.isEmpty())
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("%1 has no frames to replay").arg(options.args.at(0)));
    const qint64 total = frames.size() * options.loops;
    CanTxWorker worker(cli.link, replaySchedule(frames, options.speed, int(options.loops)));
    QEventLoop loop;
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
    const std::unique_ptr<QSocketNotifier> stop = stopSignalNotifier();
    bool stopped = false;
    if (stop)
        QObject::connect(stop.get(), &QSocketNotifier::activated, &loop, [&] {
            stopped = true;
            loop.quit();
        });
    QTimer progress;
    qint64 told = -1;
    progress.start(cli.tty ? kProgressMs : kLinesEveryMs);
    QObject::connect(&progress, &QTimer::timeout, &loop, [&] {
        if (worker.sentCount() != told)
            tellProgress(cli, told = worker.sentCount(), total);
    });
    worker.start();
    loop.exec();
    worker.stop();
    tellProgress(cli, worker.sentCount(), total);
    if (cli.tty) {
        cli.err << '\n';
        cli.err.flush();
    }
    if (worker.writeFailed())
        return cli.fail(CLI_NO_ANSWER,
                        QStringLiteral("the box went away: a frame could not be written after "
                                       "%1 of %2 frames")
                            .arg(worker.sentCount())
                            .arg(total));
    // A run cut short ends as cleanly as a whole one, but says so.
    if (stopped && worker.sentCount() < total)
        cli.say(QStringLiteral("votkbox-cli: stopped after %1 of %2 frames")
                    .arg(worker.sentCount())
                    .arg(total));
    return CLI_OK;
}
