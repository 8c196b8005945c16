#include "configfile.h"

#include "appconfig.h"

#include <QSettings>

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
    for (const Key &key : keys) {
        const QString text = settings.value(QLatin1String(key.name), QVariant()).toString();
        if (!text.isEmpty())
            key.set(text);
        else
            settings.setValue(QLatin1String(key.name), key.get());
    }
    // Newer than the keys above: read when present, never written back, so
    // that a file without it stays as it was.
    const QString rowLimit = settings.value(canRxRowLimitKey()).toString();
    if (!rowLimit.isEmpty())
        AppConfig::setCanRxRowLimit(rowLimit);
}

QString canRxRowLimitKey()
{
    return QStringLiteral("can_rx_row_limit");
}

void writeConfigValue(const QString &key, const QString &value)
{
    QSettings settings(configFilePath(), QSettings::IniFormat);
    settings.setValue(key, value);
}

QString translationFileFor(const QString &language)
{
    if (language == QLatin1String("cn"))
        return QStringLiteral("app_zh.qm");
    if (language == QLatin1String("en"))
        return QStringLiteral("app_en.qm");
    return QString();
}
