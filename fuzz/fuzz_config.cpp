// A config.ini of any content loads into usable values: every key ends up
// non-empty (a default where the file holds nothing usable), and the file
// then holds all three keys.
#include "appconfig.h"
#include "configfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const bool entered = QDir::setCurrent(dir.path());
    if (!entered)
        std::abort();
    {
        QFile f(configFilePath());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    AppConfig::resetToDefaults();
    {
        QSettings settings(configFilePath(), QSettings::IniFormat);
        loadConfig(settings);
    }
    if (AppConfig::getLanguage().isEmpty() || AppConfig::getCanTime().isEmpty() ||
        AppConfig::getAutoConnect().isEmpty())
        std::abort();
    QSettings reread(configFilePath(), QSettings::IniFormat);
    if (reread.status() == QSettings::NoError) {
        for (const char *key : {"language", "can_time", "auto_connect"})
            if (reread.value(QLatin1String(key)).toString().isEmpty())
                std::abort();
    }
    return 0;
}
