#pragma once

#include "clicommands.h"

#include <QBuffer>
#include <QByteArray>
#include <QStringList>
#include <QtTest>

#include <functional>

// Runs votkbox-cli in this process with its output and errors captured, then
// waits until the box side has seen every node closed, so that the next
// command opens it afresh.
inline int runCliCaptured(const QStringList &args, QByteArray *out, QByteArray *err,
                          const std::function<bool()> &allClosed)
{
    out->clear();
    err->clear();
    QBuffer outDevice(out);
    QBuffer errDevice(err);
    outDevice.open(QIODevice::WriteOnly);
    errDevice.open(QIODevice::WriteOnly);
    const int code = runCli(args, &outDevice, &errDevice);
    if (!QTest::qWaitFor(allClosed, 5000))
        qWarning("the box side still has a node open");
    return code;
}
