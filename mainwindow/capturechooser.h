#pragma once

#include "cansaveformat.h"

#include <QFile>
#include <QString>

#include <memory>

class QWidget;

// A capture the user chose: its name, format and the file, open for reading.
struct ChosenCapture
{
    QString path;
    CanSaveFormat format = CanSaveFormat::CandumpLog;
    std::unique_ptr<QFile> file;
};

// Asks for a saved capture (.log or .csv) and opens it; only a regular file
// is opened, so nothing waits on a FIFO or reads a device. False when the
// user cancelled, or, after a warning titled `caption`, when it cannot be read.
bool chooseCapture(QWidget *parent, const QString &caption, ChosenCapture *chosen);
