#include "clioutput.h"

#include "clitable.h"

bool writeData(CliContext &cli, const QString &text)
{
    if (cli.out.status() != QTextStream::Ok)
        return false;
    cli.out << text;
    cli.out.flush();
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
