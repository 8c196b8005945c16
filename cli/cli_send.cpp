// send: one CAN frame, or the same frame every MS milliseconds until a count,
// a time or a stop signal ends it.
#include "cantext.h"
#include "cantxworker.h"
#include "clitable.h"
#include "stopsignal.h"

#include <QEventLoop>
#include <QSocketNotifier>

#include <cmath>
#include <memory>
#include <optional>

namespace {
constexpr qint64 kMinPeriodMs = 1;
constexpr qint64 kMaxPeriodMs = 60000;
// As for monitor: a count fits a 32-bit counter.
constexpr qint64 kMaxCount = 2147483647;
constexpr double kMaxSeconds = 2000000;

struct CanFrameText
{
    std::optional<quint16> id;
    std::optional<QVector<uint8_t>> data;
};

CanFrameText parseFrame(const QString &text)
{
    const int hash = text.indexOf(QLatin1Char('#'));
    // cansend's data has no spaces: one run of digit pairs.
    const QString dataText = hash > 0 ? text.mid(hash + 1) : QString();
    CanFrameText frame;
    frame.id = hash > 0 ? parseCanId(text.left(hash)) : std::nullopt;
    frame.data = dataText.contains(QLatin1Char(' ')) || dataText.size() % 2
                     ? std::nullopt
                     : parseCanData(dataText);
    return frame;
}

struct SendOptions
{
    bool periodic = false;
    qint64 periodMs = 0;
    qint64 count = -1;
    double seconds = -1;
};

// The usage error of the options after ID#DATA, empty when they read fine.
QString parseOptions(const QStringList &args, SendOptions &options)
{
    if (args.isEmpty())
        return QStringLiteral("wrong arguments for send");
    QStringList seen;
    for (int i = 1; i < args.size(); ++i) {
        const QString opt = args.at(i);
        if (seen.contains(opt))
            return QStringLiteral("send: %1 given twice").arg(opt);
        seen << opt;
        if (i + 1 >= args.size())
            return QStringLiteral("send: %1 needs a value").arg(opt);
        const QString value = args.at(++i);
        bool ok = false;
        if (opt == QLatin1String("--period")) {
            options.periodic = true;
            options.periodMs = value.toLongLong(&ok);
        } else if (opt == QLatin1String("--count")) {
            options.count = value.toLongLong(&ok);
            ok = ok && options.count > 0;
        } else if (opt == QLatin1String("--seconds")) {
            options.seconds = value.toDouble(&ok);
            ok = ok && options.seconds > 0;
        }
        if (!ok)
            return QStringLiteral("send: bad option %1 %2").arg(opt, value);
    }
    if (options.count > 0 && options.seconds > 0)
        return QStringLiteral("send: --count or --seconds, not both");
    if ((options.count > 0 || options.seconds > 0) && !options.periodic)
        return QStringLiteral("send: --count and --seconds need --period");
    return QString();
}

// A frame that cannot be written to a box that was open and answering: it
// was pulled out.
int boxWentAway(CliContext &cli)
{
    return cli.fail(CLI_NO_ANSWER,
                    QStringLiteral("the box went away: the frame could not be written"));
}

int sendPeriodically(CliContext &cli, quint16 id, const QVector<uint8_t> &data,
                     const SendOptions &options)
{
    // Up to 2e15 ns; rounded up so that a time shorter than a nanosecond
    // still sends the first frame, as any periodic run does.
    const qint64 untilNs = options.seconds > 0 ? qint64(std::ceil(options.seconds * 1e9)) : -1;
    CanTxWorker worker(
        CanTxWorker::periodic(id, data, options.periodMs * 1000000, options.count, untilNs));
    QEventLoop loop;
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
    const std::unique_ptr<QSocketNotifier> stop = stopSignalNotifier();
    bool stopped = false;
    if (stop)
        QObject::connect(stop.get(), &QSocketNotifier::activated, &loop, [&] {
            stopped = true;
            loop.quit();
        });
    worker.start();
    loop.exec();
    worker.stop();
    if (worker.writeFailed())
        return boxWentAway(cli);
    // A stopped run ends cleanly, but says how far it got.
    if (stopped && options.count > 0 && worker.sentCount() < options.count)
        cli.say(QStringLiteral("votkbox-cli: stopped after %1 of %2 frames")
                    .arg(worker.sentCount())
                    .arg(options.count));
    else if (stopped && options.count < 0)
        cli.say(QStringLiteral("votkbox-cli: stopped after %1 frames").arg(worker.sentCount()));
    return CLI_OK;
}
} // namespace

QString sendArguments(const QStringList &args)
{
    SendOptions options;
    return parseOptions(args, options);
}

int checkSendInput(CliContext &cli, const QStringList &args)
{
    const CanFrameText frame = parseFrame(args.at(0));
    if (!frame.id || !frame.data)
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("\"%1\" is no CAN frame: ID#DATA with an ID of 1 to 3 "
                                       "hex digits up to 7FF and up to 8 data bytes as hex "
                                       "digit pairs, e.g. 7DF#02010C")
                            .arg(args.at(0)));
    SendOptions options;
    parseOptions(args, options);
    if (options.periodic && (options.periodMs < kMinPeriodMs || options.periodMs > kMaxPeriodMs))
        return cli.fail(
            CLI_REFUSED,
            QStringLiteral("send: --period is %1 to %2 ms").arg(kMinPeriodMs).arg(kMaxPeriodMs));
    if (options.count > kMaxCount)
        return cli.fail(CLI_REFUSED, QStringLiteral("send: --count is at most %1").arg(kMaxCount));
    if (options.seconds > kMaxSeconds)
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("send: --seconds is at most %1").arg(qint64(kMaxSeconds)));
    return CLI_OK;
}

int cliSend(CliContext &cli, const QStringList &args)
{
    const CanFrameText frame = parseFrame(args.at(0));
    if (!frame.id || !frame.data)
        return checkSendInput(cli, args);
    SendOptions options;
    parseOptions(args, options);
    if (options.periodic)
        return sendPeriodically(cli, *frame.id, *frame.data, options);
    // Frames go out without a reply, as from the window.
    if (!CanTxWorker::transmit(*frame.id, *frame.data))
        return boxWentAway(cli);
    return CLI_OK;
}
