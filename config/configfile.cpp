#include "configfile.h"

#include "appconfig.h"

#include <QSettings>

#include <utility>

namespace {
struct WriteWarning
{
    std::function<void()> warn;
    bool failed = false;
    bool told = false;
};

WriteWarning &writeWarning()
{
    static WriteWarning w;
    return w;
}

void tellOnce()
{
    WriteWarning &w = writeWarning();
    if (w.failed && !w.told && w.warn) {
        w.told = true;
        w.warn();
    }
}

void noteWrite(QSettings &settings)
{
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return;
    writeWarning().failed = true;
    tellOnce();
}
} // namespace

void setConfigWriteWarning(std::function<void()> warn)
{
    writeWarning().warn = std::move(warn);
    tellOnce();
}

QString configFilePath()
{
    return QStringLiteral("./config.ini");
}

void loadConfig(QSettings &settings)
{
    struct Key
    {
        const char *name;
        QString (*get)();
        void (*set)(const QString &);
    };
    const Key keys[] = {
        {"language", &AppConfig::getLanguage, &AppConfig::setLanguage},
        {"can_time", &AppConfig::getCanTime, &AppConfig::setCanTime},
        {"auto_connect", &AppConfig::getAutoConnect, &AppConfig::setAutoConnect},
    };
    bool wrote = false;
    for (const Key &key : keys) {
        const QString text = settings.value(QLatin1String(key.name), QVariant()).toString();
        if (!text.isEmpty()) {
            key.set(text);
        } else {
            settings.setValue(QLatin1String(key.name), key.get());
            wrote = true;
        }
    }
    if (wrote)
        noteWrite(settings);
    // Newer than the keys above: read when present, never written back, so
    // that a file without them stays as it was.
    const std::pair<QString, void (*)(const QString &)> newer[] = {
        {canRxRowLimitKey(), &AppConfig::setCanRxRowLimit},
        {canRxAlwaysKey(), &AppConfig::setCanRxAlways},
    };
    for (const auto &key : newer) {
        const QString text = settings.value(key.first).toString();
        if (!text.isEmpty())
            key.second(text);
    }
}

QString canRxRowLimitKey()
{
    return QStringLiteral("can_rx_row_limit");
}

QString canRxAlwaysKey()
{
    return QStringLiteral("can_rx_always");
}

bool writeConfigValue(const QString &key, const QString &value)
{
    QSettings settings(configFilePath(), QSettings::IniFormat);
    settings.setValue(key, value);
    noteWrite(settings);
    return settings.status() == QSettings::NoError;
}

QString translationFileFor(const QString &language)
{
    if (language == QLatin1String("cn"))
        return QStringLiteral("app_zh.qm");
    if (language == QLatin1String("en"))
        return QStringLiteral("app_en.qm");
    return QString();
}
