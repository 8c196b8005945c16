// replay: the frames of a saved capture sent again with their recorded gaps.
#include "cantxworker.h"
#include "capturefile.h"
#include "clitable.h"
#include "stopsignal.h"

#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <memory>

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

// The frames from --start-at on, due relative to the first of them; a time
// that goes back is due at once, not before the frame ahead of it.
QVector<ScheduledCanFrame> schedule(const QVector<CapturedFrame> &frames, double startAt)
{
    QVector<ScheduledCanFrame> scheduled;
    if (frames.isEmpty())
        return scheduled;
    const qint64 firstUs = frames.first().timeUs;
    const qint64 fromUs = firstUs + qint64(startAt * 1e6);
    qint64 baseUs = -1;
    qint64 lastNs = 0;
    scheduled.reserve(frames.size());
    for (const CapturedFrame &frame : frames) {
        if (frame.timeUs < fromUs)
            continue;
        if (baseUs < 0)
            baseUs = frame.timeUs;
        lastNs = std::max(lastNs, (frame.timeUs - baseUs) * 1000);
        scheduled.append({lastNs, frame.id, frame.data});
    }
    return scheduled;
}

// Reads and checks the whole capture; CLI_OK with its frames to send.
int readCapture(CliContext &cli, const QStringList &args, QVector<ScheduledCanFrame> *frames)
{
    const QString name = args.at(0);
    CanSaveFormat format;
    if (!canSaveFormatFor(name, &format))
        return cli.fail(
            CLI_REFUSED,
            QStringLiteral("%1 is no capture: a .log or .csv file is needed").arg(name));
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("%1 cannot be read: %2").arg(name, file.errorString()));
    const CaptureFile capture = parseCaptureFile(file.readAll(), format);
    if (capture.problem != CaptureProblem::None)
        return cli.fail(CLI_REFUSED, QStringLiteral("%1: line %2 %3, nothing was sent")
                                         .arg(name)
                                         .arg(capture.line)
                                         .arg(problemText(capture.problem)));
    ReplayOptions options;
    parseOptions(args, options);
    *frames = schedule(capture.frames, options.startAt);
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

int checkReplayInput(CliContext &cli, const QStringList &args)
{
    QVector<ScheduledCanFrame> frames;
    return readCapture(cli, args, &frames);
}

int cliReplay(CliContext &cli, const QStringList &args)
{
    QVector<ScheduledCanFrame> frames;
    const int read = readCapture(cli, args, &frames);
    if (read != CLI_OK)
        return read;
    ReplayOptions options;
    parseOptions(args, options);
    const qint64 total = frames.size() * options.loops;
    CanTxWorker worker(CanTxWorker::replay(frames, options.speed, int(options.loops)));
    QEventLoop loop;
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
    const std::unique_ptr<QSocketNotifier> stop = stopSignalNotifier();
    if (stop)
        QObject::connect(stop.get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit);
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
        return cli.fail(CLI_NO_BOX, QStringLiteral("the frame could not be written to the box"));
    return CLI_OK;
}
