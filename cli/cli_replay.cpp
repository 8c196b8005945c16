// replay: the frames of a saved capture sent again with their recorded gaps.
#include "cantxworker.h"
#include "capturefile.h"
#include "clitable.h"
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
constexpr double kMaxSpeed = 1000000;

struct ReplayOptions
{
    double speed = 1;
    qint64 loops = 1;
    double startAt = 0;
};

// The usage error of the options after FILE, empty when they read fine.
QString parseOptions(const QStringList &args, ReplayOptions &options)
{
    if (args.isEmpty())
        return QStringLiteral("wrong arguments for replay");
    QStringList seen;
    for (int i = 1; i < args.size(); ++i) {
        const QString opt = args.at(i);
        if (seen.contains(opt))
            return QStringLiteral("replay: %1 given twice").arg(opt);
        seen << opt;
        if (i + 1 >= args.size())
            return QStringLiteral("replay: %1 needs a value").arg(opt);
        const QString value = args.at(++i);
        bool ok = false;
        if (opt == QLatin1String("--speed")) {
            options.speed = value.toDouble(&ok);
            ok = ok && options.speed >= 0 && options.speed <= kMaxSpeed;
        } else if (opt == QLatin1String("--loop")) {
            options.loops = value.toLongLong(&ok);
            ok = ok && options.loops > 0 && options.loops <= 1000000;
        } else if (opt == QLatin1String("--start-at")) {
            options.startAt = value.toDouble(&ok);
            ok = ok && options.startAt >= 0 && options.startAt <= 1e9;
        }
        if (!ok)
            return QStringLiteral("replay: bad option %1 %2").arg(opt, value);
    }
    return QString();
}

QString problemText(CaptureProblem problem)
{
    switch (problem) {
    case CaptureProblem::None:
        break;
    case CaptureProblem::Unreadable:
        return QStringLiteral("cannot be read as a saved CAN frame");
    case CaptureProblem::IdTooHigh:
        return QStringLiteral("has an identifier above 7FF");
    case CaptureProblem::TooManyBytes:
        return QStringLiteral("has more than 8 data bytes");
    }
    return QString();
}

// Reads and checks the whole capture, once; CLI_OK with the frames to send.
int readCapture(CliContext &cli, const QStringList &args, QVector<ReplayFrame> *frames)
{
    const QString name = args.at(0);
    CanSaveFormat format;
    if (!canSaveFormatFor(name, &format))
        return cli.fail(
            CLI_REFUSED,
            QStringLiteral("%1 is no capture: a .log or .csv file is needed").arg(name));
    QFile file;
    QString why;
    switch (openCaptureFile(name, &file, &why)) {
    case CaptureOpen::Opened:
        break;
    case CaptureOpen::NotAFile:
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("%1 is not a regular file (a FIFO, device or directory); "
                                       "a capture must be a saved file")
                            .arg(name));
    case CaptureOpen::Failed:
        return cli.fail(CLI_REFUSED, QStringLiteral("%1 cannot be read: %2").arg(name, why));
    }
    ReplayOptions options;
    parseOptions(args, options);
    ReplayTimeline timeline(qint64(options.startAt * 1e6));
    bool tooMany = false;
    const CaptureFile capture =
        readCaptureFile(file, format, CaptureUse::Replay, [&](const CanFrame &frame) {
            tooMany = tooMany || !timeline.add(frame.timeUs, frame.id, frame.dataVector());
        });
    if (capture.readFailed)
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("%1 cannot be read: %2").arg(name, file.errorString()));
    if (capture.problem != CaptureProblem::None)
        return cli.fail(CLI_REFUSED, QStringLiteral("%1: line %2 %3, nothing was sent")
                                         .arg(name)
                                         .arg(capture.line)
                                         .arg(problemText(capture.problem)));
    if (tooMany)
        return cli.fail(CLI_REFUSED, QStringLiteral("%1 has more than %2 frames to replay, more "
                                                    "than one replay holds; nothing was sent")
                                         .arg(name)
                                         .arg(ReplayTimeline::kMaxFrames));
    *frames = timeline.frames();
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

QString replayArguments(const QStringList &args)
{
    ReplayOptions options;
    return parseOptions(args, options);
}

// The capture is read here, before the box is opened, and only here: a
// second read of a file being written could differ, or wait.
int checkReplayInput(CliContext &cli, const QStringList &args)
{
    return readCapture(cli, args, &cli.replayFrames);
}

int cliReplay(CliContext &cli, const QStringList &args)
{
    const QVector<ReplayFrame> frames = std::exchange(cli.replayFrames, {});
    if (frames.isEmpty())
        return cli.fail(CLI_REFUSED, QStringLiteral("%1 has no frames to replay").arg(args.at(0)));
    ReplayOptions options;
    parseOptions(args, options);
    const qint64 total = frames.size() * options.loops;
    CanTxWorker worker(CanTxWorker::replay(frames, options.speed, int(options.loops)));
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
