// decode: a saved capture's frames as signal values, with no box.
#include "capturefile.h"
#include "clicapture.h"
#include "clidbc.h"
#include "clioutput.h"
#include "clitable.h"

#include <QFile>

namespace {
// Output is written in blocks of about this size: one write per line would
// cost more than the decoding.
constexpr int kBlockBytes = 1 << 16;
} // namespace

int checkDecodeInput(CliContext &cli, const CliOptions &options)
{
    return loadDatabases(cli, options.dbcFiles);
}

int cliDecode(CliContext &cli, const CliOptions &options)
{
    const QString name = options.args.at(0);
    CanSaveFormat format;
    QFile file;
    if (const int refused = openCliCapture(cli, name, &format, &file))
        return refused;
    FrameDecoder decoder(*cli.dbc);
    QByteArray block;
    block.reserve(kBlockBytes * 2);
    if (!options.jsonl)
        block.append("time,dir,id,message,signal,value,unit,label\n");
    bool writeFailed = false;
    const CaptureFile capture =
        readCaptureFile(file, format, CaptureUse::View, [&](const CanFrame &frame) {
            const DbcMessage *message = decoder.decode(frame);
            if (!message || writeFailed)
                return;
            if (options.jsonl)
                appendJsonFrame(block, frame, message, decoder.values(), decoder.count());
            else
                decoder.appendCsvRows(block, frame);
            if (block.size() >= kBlockBytes) {
                writeFailed = !writeBytes(cli, block);
                block.clear();
            }
        });
    if (writeFailed || !writeBytes(cli, block))
        return outputFailed(cli);
    if (capture.readFailed)
        return cli.fail(CLI_REFUSED,
                        QStringLiteral("%1 cannot be read: %2").arg(name, file.errorString()));
    if (capture.problem != CaptureProblem::None)
        return cli.fail(CLI_REFUSED, QStringLiteral("%1: %2 %3 (passed over: %4)")
                                         .arg(name)
                                         .arg(capturePlaceText(capture.line, capture.atByte))
                                         .arg(captureProblemText(capture.problem))
                                         .arg(capture.skipped));
    return CLI_OK;
}
