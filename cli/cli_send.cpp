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

// A frame that cannot be written to a box that was open and answering: it
// was pulled out.
int boxWentAway(CliContext &cli)
{
    return cli.fail(CLI_NO_ANSWER,
                    QStringLiteral("the box went away: the frame could not be written"));
}

int sendPeriodically(CliContext &cli, quint16 id, const QVector<uint8_t> &data,
                     const CliOptions &options)
{
    // Up to 2e15 ns; rounded up so that a time shorter than a nanosecond
    // still sends the first frame, as any periodic run does.
    const qint64 untilNs = options.seconds > 0 ? qint64(std::ceil(options.seconds * 1e9)) : -1;
    CanTxWorker worker(cli.link, CanTxWorker::periodic(id, data, options.periodMs * 1000000,
                                                       options.count, untilNs));
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

// Reads ID#DATA into the frame; one that is none is refused by checkSendInput.
QString sendArguments(CliOptions &options)
{
    const QString text = options.args.at(0);
    const int hash = text.indexOf(QLatin1Char('#'));
    // cansend's data has no spaces: digit pairs, with dots between them if
    // the writer likes (7DF#02.01.0C); a dot inside a pair makes no byte.
    QString dataText;
    bool pairs = hash > 0;
    for (const QString &part : text.mid(hash + 1).split(QLatin1Char('.'))) {
        pairs = pairs && part.size() % 2 == 0 && !part.contains(QLatin1Char(' '));
        dataText += part;
    }
    options.canId = hash > 0 ? parseCanId(text.left(hash)) : std::nullopt;
    options.canData = pairs ? parseCanData(dataText) : std::nullopt;
    if (options.count > 0 && options.seconds > 0)
        return QStringLiteral("send: --count or --seconds, not both");
    if ((options.count > 0 || options.seconds > 0) && !options.periodic)
        return QStringLiteral("send: --count and --seconds need --period");
    return QString();
}

int checkSendInput(CliContext &cli, const CliOptions &options)
{
    if (!options.canId || !options.canData)
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("\"%1\" is no CAN frame: ID#DATA with an ID of 1 to 3 "
                                       "hex digits up to 7FF and up to 8 data bytes as hex "
                                       "digit pairs, e.g. 7DF#02010C or 7DF#02.01.0C")
                            .arg(options.args.at(0)));
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

int cliSend(CliContext &cli, const CliOptions &options)
{
    if (options.periodic)
        return sendPeriodically(cli, *options.canId, *options.canData, options);
    // Frames go out without a reply, as from the window.
    if (!CanTxWorker::transmit(cli.link, *options.canId, *options.canData))
        return boxWentAway(cli);
    return CLI_OK;
}
