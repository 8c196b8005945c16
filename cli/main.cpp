#include "clicommands.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // The shared code's debug lines are for the window's log, not a script's
    // terminal; QT_LOGGING_RULES can still ask for them.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("votkbox-cli"));
    installStopSignals();

    QFile out;
    QFile err;
    // Straight to the descriptors, so a failed write shows at once, not at exit.
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return runCli(args, &out, &err, isatty(STDERR_FILENO) == 1);
}
