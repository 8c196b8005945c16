// A config.ini of any content loads into usable values: every key ends up
// with a value of its type (a default where the file holds nothing usable),
// and the file then holds the three keys of the first version.
#include "config.h"
#include "configfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMetaEnum>
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
    config()->resetToDefaults();
    const QMetaEnum keys = QMetaEnum::fromType<Config::Key>();
    QStringList defaults;
    for (int n = 0; n < keys.keyCount(); ++n)
        defaults << config()->get(Config::Key(keys.value(n))).toString();
    {
        QSettings settings(configFilePath(), QSettings::IniFormat);
        config()->load(settings);
    }
    for (int n = 0; n < keys.keyCount(); ++n) {
        const QVariant value = config()->get(Config::Key(keys.value(n)));
        // A list may be empty, and a text missing only where its default is
        // (a path not chosen yet); every number is a count.
        const bool list = value.userType() == QMetaType::QStringList;
        const bool missing = !value.isValid() || (!list && value.toString().isEmpty());
        if ((missing && !defaults.at(n).isEmpty()) ||
            (value.userType() == QMetaType::Int && value.toInt() <= 0))
            std::abort();
    }
    QSettings reread(configFilePath(), QSettings::IniFormat);
    if (reread.status() == QSettings::NoError) {
        for (const char *key : {"language", "can_time", "auto_connect"})
            if (reread.value(QLatin1String(key)).toString().isEmpty())
                std::abort();
    }
    return 0;
}
