#include "startup.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    StartOptions options;
    QString error;
    if (!parseStartOptions(app, options, error)) {
        std::fprintf(stderr, "votkbox: %s\n", qPrintable(error));
        return 1;
    }
    Startup startup(options);
    return startup.run(app);
}
