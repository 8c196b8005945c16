#include "startup.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    StartOptions options;
    QString message;
    const int exitCode = parseStartOptions(arguments, options, message);
    if (exitCode >= 0) {
        if (exitCode == 0)
            std::fputs(qPrintable(message), stdout);
        else
            std::fprintf(stderr, "votkbox: %s", qPrintable(message));
        return exitCode;
    }

    // Before the application object, or Qt ignores them.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    Startup startup(options);
    return startup.run(app);
}
