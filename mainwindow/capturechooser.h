#pragma once

#include "cansaveformat.h"

#include <QFile>
#include <QString>
#include <QVector>

#include <memory>

class QWidget;

// A capture the user chose: its name, format and the file, open for reading.
struct ChosenCapture
{
    QString path;
    CanSaveFormat format = CanSaveFormat::CandumpLog;
    std::unique_ptr<QFile> file;
};

// The file types a capture is opened or saved as: the dialog's filter text,
// the format and the extension a bare name takes.
struct CaptureFileType
{
    QString filter;
    CanSaveFormat format;
    const char *extension;
};
// The types a capture is saved as, the first the default.
QVector<CaptureFileType> captureSaveTypes();
// The format to save `path` in, with the type `chosenFilter` chosen in the
// dialog: a bare name takes the type's extension (`path` gets it). False when
// the name's extension is none of a capture's.
bool captureSaveFormat(QString *path, const QString &chosenFilter, CanSaveFormat *format);

// Asks for a capture (.log, .csv, .asc, .trc or .blf) and opens it; only a regular file
// is opened, so nothing waits on a FIFO or reads a device. False when the
// user cancelled, or, after a warning titled `caption`, when it cannot be read.
bool chooseCapture(QWidget *parent, const QString &caption, ChosenCapture *chosen);
