#pragma once

#include <QString>

class QSettings;

// The file every configuration value lives in, relative to the working directory.
QString configFilePath();

// Loads "language", "can_time" and "auto_connect" from `settings` into
// AppConfig; a missing or empty key keeps the default and writes it back.
void loadConfig(QSettings &settings);

// The key of the CAN receive table's row limit.
QString canRxRowLimitKey();

// Writes one key to the configuration file, keeping every other key.
void writeConfigValue(const QString &key, const QString &value);

// The translation file for a language value ("cn" or "en", compared
// case-sensitively), or an empty name when none applies.
QString translationFileFor(const QString &language);
