#include "clicommands.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("votkbox-cli"));
    installStopSignals(BrokenPipe::Stops);

    QFile out;
    QFile err;
    // Straight to the descriptors, so a failed write shows at once, not at exit.
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return runCli(args, &out, &err, isatty(STDERR_FILENO) == 1);
}
