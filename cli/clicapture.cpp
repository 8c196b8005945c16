#include "clicapture.h"

#include "capturefile.h"
#include "clitable.h"

#include <QFile>

int openCliCapture(CliContext &cli, const QString &name, CanSaveFormat *format, QFile *file)
{
    if (!canSaveFormatFor(name, format))
        return cli.fail(
            CLI_REFUSED,
            QStringLiteral("%1 is no capture: a .log or .csv file is needed").arg(name));
    QString why;
    switch (openCaptureFile(name, file, &why)) {
    case CaptureOpen::Opened:
        return CLI_OK;
    case CaptureOpen::NotAFile:
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("%1 is not a regular file (a FIFO, device or directory); "
                                       "a capture must be a saved file")
                            .arg(name));
    case CaptureOpen::Failed:
        break;
    }
    return cli.fail(CLI_REFUSED, QStringLiteral("%1 cannot be read: %2").arg(name, why));
}
