#include "clicapture.h"

#include "capturefile.h"
#include "clitable.h"

#include <QFile>

int openCliCapture(CliContext &cli, const QString &name, CanSaveFormat *format, QFile *file,
                   std::optional<CanSaveFormat> given)
{
    if (given)
        *format = *given;
    else if (!canSaveFormatFor(name, format))
        return cli.fail(CLI_REFUSED, QStringLiteral("%1 is no capture: a .log, .csv, .asc, .trc "
                                                    "or .blf file is needed")
                                         .arg(name));
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

QString captureProblemText(CaptureProblem problem)
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
    case CaptureProblem::RemoteFrame:
        return QStringLiteral("is a remote frame");
    case CaptureProblem::ErrorFrame:
        return QStringLiteral("is an error frame");
    case CaptureProblem::FdFrame:
        return QStringLiteral("is a CAN FD frame");
    case CaptureProblem::ExtendedId:
        return QStringLiteral("is an extended frame (29-bit identifier)");
    }
    return QString();
}

QString capturePlaceText(qint64 place, bool atByte)
{
    return (atByte ? QStringLiteral("the object at byte %1") : QStringLiteral("line %1"))
        .arg(place);
}
