// convert: a capture read in one format and written in another, with no box.
#include "capturefile.h"
#include "capturewriter.h"
#include "clicapture.h"
#include "clitable.h"

#include <QFile>
#include <QSaveFile>

int cliConvert(CliContext &cli, const CliOptions &options)
{
    const QString inName = options.args.at(0);
    const QString outName = options.args.at(1);
    CanSaveFormat to;
    if (options.to)
        to = *options.to;
    else if (!canSaveFormatFor(outName, &to))
        return cli.usage(QStringLiteral("convert: the format of %1 cannot be told from its "
                                        "extension; name it with --to")
                             .arg(outName));
    CanSaveFormat from;
    QFile in;
    if (const int refused = openCliCapture(cli, inName, &from, &in, options.from))
        return refused;
    // Written beside the target and renamed over it when complete: a failed
    // conversion leaves no half file under the name.
    QSaveFile out(outName);
    if (!out.open(QIODevice::WriteOnly))
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("%1 cannot be written: %2").arg(outName, out.errorString()));
    CaptureWriter writer(out, to);
    bool writeFailed = false;
    const CaptureFile capture =
        readCaptureFile(in, from, CaptureUse::View, [&](const CanFrame &frame) {
            writeFailed = writeFailed || !writer.write(frame);
        });
    if (capture.readFailed)
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("%1 cannot be read: %2").arg(inName, in.errorString()));
    if (writeFailed || !writer.close() || !out.commit())
        return cli.fail(
            CLI_REFUSED,
            QStringLiteral("%1 cannot be written: %2").arg(outName, writer.errorString()));
    const qint64 written = capture.frameCount - writer.leftOut();
    cli.say(QStringLiteral("votkbox-cli: frames written to %1: %2").arg(outName).arg(written));
    // The frames that could be read are written; what was lost is told, and
    // fails the run, so that no script takes a partial conversion for a whole one.
    if (writer.leftOut() > 0)
        return cli.fail(CLI_REFUSED, QStringLiteral("%1: %2 frames with more than 8 data bytes "
                                                    "left out, which the format cannot hold")
                                         .arg(outName)
                                         .arg(writer.leftOut()));
    if (capture.problem != CaptureProblem::None)
        return cli.fail(CLI_REFUSED, QStringLiteral("%1: %2 %3 (passed over: %4)")
                                         .arg(inName)
                                         .arg(capturePlaceText(capture.line, capture.atByte))
                                         .arg(captureProblemText(capture.problem))
                                         .arg(capture.skipped));
    return CLI_OK;
}
