#pragma once

#include "cansaveformat.h"

#include <QByteArray>
#include <QString>

class QWidget;

// A capture the user chose: its name, format and whole text.
struct ChosenCapture
{
    QString path;
    CanSaveFormat format = CanSaveFormat::CandumpLog;
    QByteArray text;
};

// Asks for a saved capture (.log or .csv) and reads it. False when the user
// cancelled, or, after a warning titled `caption`, when it cannot be read.
bool chooseCapture(QWidget *parent, const QString &caption, ChosenCapture *chosen);
