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
    // Rows the CAN receive table keeps before the oldest give way.
    static QString getCanRxRowLimit();
    static void setCanRxRowLimit(const QString &value);
    // The row limit as a number; a value that is no positive number gives
    // the default.
    static int canRxRowLimit();
    static constexpr int kDefaultCanRxRowLimit = 10000000;
    // "1": the box keeps reporting and the frames are received on every tab,
    // not only while the CAN tab is shown.
    static QString getCanRxAlways();
    static void setCanRxAlways(const QString &value);
    static bool canRxAlways();

    // Back to the start-up defaults (cn, 30, 1, 10000000, 0).
    static void resetToDefaults();
};
