// upgrade: one transfer with the window's upgrade.
#include "clitable.h"
#include "otafile.h"
#include "otahandle.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <memory>

namespace {
const QString kVerdictPrefix = QStringLiteral("结果:");
const QString kSuccessPrefix = QStringLiteral("结果:升级成功");
} // namespace

// The exit status comes from the transfer's verdict alone, never from the
// thread having ended.
int cliUpgrade(CliContext &cli, const QStringList &args)
{
    const OtaFileRead file = readOtaFile(args.at(0));
    switch (file.status) {
    case OtaFileStatus::Ok:
        break;
    case OtaFileStatus::CannotOpen:
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("cannot open the upgrade file %1").arg(args.at(0)));
    case OtaFileStatus::ChecksumMismatch:
        return cli.fail(CLI_REFUSED, QStringLiteral("the upgrade file's checksum is wrong"));
    case OtaFileStatus::WrongSize:
        return cli.fail(CLI_REFUSED, QStringLiteral("the upgrade file's size is wrong"));
    case OtaFileStatus::WrongFlag:
        return cli.fail(CLI_REFUSED, QStringLiteral("the file is no upgrade file for this box"));
    }
    auto ota = std::make_unique<OtaHandle>();
    ota->setImage(file.image);

    bool success = false;
    QString verdict;
    QEventLoop loop;
    QObject::connect(
        ota.get(), &OtaHandle::sig_send_ota_progress, &loop, [&](int value, const QString &text) {
            if (cli.tty) {
                const int filled = value * 40 / 100;
                cli.out << "\r[" << QString(filled, QLatin1Char('#'))
                        << QString(40 - filled, QLatin1Char(' ')) << "] " << value << '%';
            } else {
                cli.out << cli.prefix << "progress " << value << '\n';
            }
            cli.out.flush();
            if (text.startsWith(kVerdictPrefix)) {
                verdict = text;
                success = value == 100 && text.startsWith(kSuccessPrefix);
            }
        });
    QObject::connect(ota.get(), &QThread::finished, &loop, &QEventLoop::quit);
    ota->start();
    loop.exec();
    ota->wait();
    QCoreApplication::sendPostedEvents(&loop);
    if (cli.tty)
        cli.out << '\n';
    if (verdict.isEmpty())
        verdict = QStringLiteral("结果:升级失败");
    cli.out << cli.prefix << verdict << '\n';
    cli.out.flush();
    return success ? CLI_OK : CLI_UPGRADE_FAILED;
}
