#pragma once

#include <QString>

#include <functional>

class QSettings;

// The file every configuration value lives in, relative to the working directory.
QString configFilePath();

// Loads "language", "can_time" and "auto_connect" from `settings` into
// AppConfig; a missing or empty key keeps the default and writes it back.
// The receive table's keys are loaded when present and never written.
void loadConfig(QSettings &settings);

// The key of the CAN receive table's row limit.
QString canRxRowLimitKey();
// The key of receiving on every tab.
QString canRxAlwaysKey();

// Writes one key to the configuration file, keeping every other key. False
// when the file could not be written; the caller keeps the value in memory.
bool writeConfigValue(const QString &key, const QString &value);

// Who tells the user that the configuration file cannot be written. Told once
// per process, at the first failed write; a failure before one is set (at
// start-up) is told as soon as it is. Null stops telling.
void setConfigWriteWarning(std::function<void()> warn);

// The translation file for a language value ("cn" or "en", compared
// case-sensitively), or an empty name when none applies.
QString translationFileFor(const QString &language);
