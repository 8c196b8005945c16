// upgrade: one transfer with the window's upgrade.
#include "boxcommands.h"
#include "clitable.h"
#include "otafile.h"
#include "otahandle.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <memory>
#include <optional>

// The file is read and checked before the box is opened: a bad file is
// refused whether or not a box is there, and nothing is sent.
int checkUpgradeInput(CliContext &cli, const CliOptions &options)
{
    const OtaFileRead file = readOtaFile(options.args.at(0));
    switch (file.status) {
    case OtaFileStatus::Ok:
        cli.input = file.image;
        return CLI_OK;
    case OtaFileStatus::CannotOpen:
        return cli.fail(CLI_REFUSED, QStringLiteral("cannot open the upgrade file %1 (it must be "
                                                    "a regular file)")
                                         .arg(options.args.at(0)));
    case OtaFileStatus::ChecksumMismatch:
        return cli.fail(CLI_REFUSED, QStringLiteral("the upgrade file's checksum is wrong"));
    case OtaFileStatus::WrongSize:
        return cli.fail(CLI_REFUSED, QStringLiteral("the upgrade file's size is wrong (it must be "
                                                    "%1 bytes)")
                                         .arg(OTA_FILE_SIZE));
    case OtaFileStatus::WrongFlag:
        return cli.fail(CLI_REFUSED, QStringLiteral("the file is no upgrade file for this box"));
    }
    return CLI_REFUSED;
}

namespace {
int exitFor(OtaVerdict verdict)
{
    switch (verdict) {
    case OtaVerdict::Success:
        return CLI_OK;
    case OtaVerdict::Failed:
    case OtaVerdict::Interrupted:
    case OtaVerdict::LinkBusy:
        break;
    }
    return CLI_UPGRADE_FAILED;
}

QString verdictText(OtaVerdict verdict)
{
    switch (verdict) {
    case OtaVerdict::Success:
        return QStringLiteral("the upgrade succeeded; power the box off and on again");
    case OtaVerdict::Failed:
        return QStringLiteral("the upgrade failed");
    case OtaVerdict::Interrupted:
        return QStringLiteral("the upgrade was interrupted; reconnect the box and try again");
    case OtaVerdict::LinkBusy:
        return QStringLiteral("the box was busy; nothing was sent");
    }
    return QString();
}
} // namespace

// The exit status comes from the transfer's verdict alone. Stop signals wait
// for it (see stopsignal.h) and nothing here writes to standard output, so
// neither a dropped session nor a closed pipe cuts the transfer.
int cliUpgrade(CliContext &cli, const CliOptions &)
{
    // Frames reported meanwhile would only crowd the block answers.
    if (!BoxCommands::setCanReporting(cli.link, false).answered)
        return cli.noAnswer(QStringLiteral("the request to stop reporting CAN frames"));
    auto ota = std::make_unique<OtaHandle>(cli.link);
    if (!ota->setImage(cli.input))
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("the upgrade file was refused; nothing was sent"));

    std::optional<OtaVerdict> verdict;
    QEventLoop loop;
    QObject::connect(ota.get(), &OtaHandle::sig_send_ota_progress, &loop, [&](int value) {
        if (cli.tty) {
            const int filled = value * 40 / 100;
            cli.err << "\r[" << QString(filled, QLatin1Char('#'))
                    << QString(40 - filled, QLatin1Char(' ')) << "] " << value << '%';
        } else {
            cli.err << cli.prefix << "progress " << value << '\n';
        }
        cli.err.flush();
    });
    QObject::connect(ota.get(), &OtaHandle::sig_ota_verdict, &loop,
                     [&](OtaVerdict v) { verdict = v; });
    QObject::connect(ota.get(), &QThread::finished, &loop, &QEventLoop::quit);
    ota->start();
    loop.exec();
    ota->wait();
    QCoreApplication::sendPostedEvents(&loop);
    if (cli.tty) {
        cli.err << '\n';
        cli.err.flush();
    }
    // A run that ended without a verdict did not succeed.
    const OtaVerdict result = verdict.value_or(OtaVerdict::Failed);
    if (result == OtaVerdict::Success) {
        cli.say(QStringLiteral("votkbox-cli: ") + verdictText(result));
        return CLI_OK;
    }
    return cli.fail(exitFor(result), verdictText(result));
}
