// monitor: CAN reporting on, each frame printed as it comes, reporting off.
#include "canframe.h"
#include "canreporting.h"
#include "canrxthread.h"
#include "cansaveformat.h"
#include "clitable.h"
#include "stopsignal.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>

int cliMonitor(CliContext &cli, const QStringList &args)
{
    qint64 count = -1;
    double seconds = -1;
    bool csv = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString opt = args.at(i);
        if (i + 1 >= args.size())
            return cli.usage(QStringLiteral("monitor: %1 needs a value").arg(opt));
        const QString value = args.at(++i);
        bool ok = false;
        if (opt == QLatin1String("--count")) {
            count = value.toLongLong(&ok);
            ok = ok && count > 0;
        } else if (opt == QLatin1String("--seconds")) {
            seconds = value.toDouble(&ok);
            ok = ok && seconds > 0;
        } else if (opt == QLatin1String("--format")) {
            ok = value == QLatin1String("log") || value == QLatin1String("csv");
            csv = value == QLatin1String("csv");
        }
        if (!ok)
            return cli.usage(QStringLiteral("monitor: bad option %1 %2").arg(opt, value));
    }

    const CanSaveFormat format = csv ? CanSaveFormat::Csv : CanSaveFormat::CandumpLog;
    CanRxThread reader;
    QEventLoop loop;
    qint64 printed = 0;
    bool ending = false;
    QObject::connect(
        &reader, &CanRxThread::send_can_rx, &loop,
        [&](const QVector<uint8_t> &frame) {
            if (count >= 0 && printed >= count)
                return;
            const qint64 usec = std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count();
            // The same lines as the window's Save.
            QByteArray line;
            const int id = canFrameId(frame);
            const int skip = std::min(2, frame.size());
            appendCanSaveLine(line, format, usec, id, frame.constData() + skip,
                              frame.size() - skip);
            cli.out << QString::fromLatin1(line);
            cli.out.flush();
            if (++printed == count && !ending)
                loop.quit();
        },
        // Always queued: frames this thread's own exchanges read must not
        // overtake the ones the reader thread has already posted.
        Qt::QueuedConnection);
    if (csv) {
        cli.out << QString::fromLatin1(canSaveHeader(format));
        cli.out.flush();
    }
    QTimer deadline;
    if (seconds > 0) {
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(int(seconds * 1000));
    }
    std::unique_ptr<QSocketNotifier> stop;
    if (stopSignalFd() >= 0) {
        stop = std::make_unique<QSocketNotifier>(stopSignalFd(), QSocketNotifier::Read);
        QObject::connect(stop.get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    }

    bool off = false;
    {
        CanReporting reporting(reader);
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
    if (!off)
        return cli.noAnswer(QStringLiteral("the request to stop reporting CAN frames"));
    return CLI_OK;
}
