#include "clioutput.h"

#include "clitable.h"

#include <QIODevice>

bool writeData(CliContext &cli, const QString &text)
{
    if (cli.out.status() != QTextStream::Ok)
        return false;
    cli.out << text;
    cli.out.flush();
    return cli.out.status() == QTextStream::Ok;
}

bool writeBytes(CliContext &cli, const QByteArray &bytes)
{
    if (cli.out.status() != QTextStream::Ok)
        return false;
    cli.out.flush();
    QIODevice *device = cli.out.device();
    if (!bytes.isEmpty() && device->write(bytes) != bytes.size())
        cli.out.setStatus(QTextStream::WriteFailed);
    return cli.out.status() == QTextStream::Ok;
}

bool outputWritten(CliContext &cli)
{
    cli.out.flush();
    return cli.out.status() == QTextStream::Ok;
}

int outputFailed(CliContext &cli)
{
    return cli.fail(CLI_OUTPUT_FAILED, QStringLiteral("writing to standard output failed"));
}
