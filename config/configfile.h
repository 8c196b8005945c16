#pragma once

#include <QString>

#include <functional>

class QSettings;

// The file every configuration value lives in, relative to the working directory.
QString configFilePath();

// Syncs `settings` to its file; a failed write is told through the write
// warning below.
void noteConfigWrite(QSettings &settings);

// Who tells the user that the configuration file cannot be written. Told once
// per process, at the first failed write; a failure before one is set (at
// start-up) is told as soon as it is. Null stops telling.
void setConfigWriteWarning(std::function<void()> warn);

// The translation file for a language value ("cn" or "en", compared
// case-sensitively), or an empty name when none applies.
QString translationFileFor(const QString &language);
