#pragma once

#include <QString>

// The current values of the configuration keys, held as text. The setters
// change only memory; a caller that wants a value kept also writes the file.
// Safe to use from any thread.
class AppConfig
{
public:
    static QString getLanguage();
    static void setLanguage(const QString &value);
    static QString getCanTime();
    static void setCanTime(const QString &value);
    static QString getAutoConnect();
    static void setAutoConnect(const QString &value);

    // Back to the start-up defaults (cn, 30, 1).
    static void resetToDefaults();
};
