#include "appconfig.h"

#include <mutex>

namespace {
struct Values
{
    QString language = QStringLiteral("cn");
    QString canTime = QStringLiteral("30");
    QString autoConnect = QStringLiteral("1");
    QString canRxRowLimit = QString::number(AppConfig::kDefaultCanRxRowLimit);
    QString canRxAlways = QStringLiteral("0");
};

std::mutex &mutex()
{
    static std::mutex m;
    return m;
}

Values &values()
{
    static Values v;
    return v;
}

QString get(QString Values::*field)
{
    std::lock_guard<std::mutex> lock(mutex());
    return values().*field;
}

void put(QString Values::*field, const QString &value)
{
    std::lock_guard<std::mutex> lock(mutex());
    values().*field = value;
}
} // namespace

QString AppConfig::getLanguage()
{
    return get(&Values::language);
}
void AppConfig::setLanguage(const QString &value)
{
    put(&Values::language, value);
}
QString AppConfig::getCanTime()
{
    return get(&Values::canTime);
}
void AppConfig::setCanTime(const QString &value)
{
    put(&Values::canTime, value);
}
QString AppConfig::getAutoConnect()
{
    return get(&Values::autoConnect);
}
void AppConfig::setAutoConnect(const QString &value)
{
    put(&Values::autoConnect, value);
}

QString AppConfig::getCanRxRowLimit()
{
    return get(&Values::canRxRowLimit);
}
void AppConfig::setCanRxRowLimit(const QString &value)
{
    put(&Values::canRxRowLimit, value);
}
int AppConfig::canRxRowLimit()
{
    bool ok = false;
    const int limit = getCanRxRowLimit().trimmed().toInt(&ok);
    return ok && limit > 0 ? limit : kDefaultCanRxRowLimit;
}

QString AppConfig::getCanRxAlways()
{
    return get(&Values::canRxAlways);
}
void AppConfig::setCanRxAlways(const QString &value)
{
    put(&Values::canRxAlways, value);
}
bool AppConfig::canRxAlways()
{
    return getCanRxAlways() == QLatin1String("1");
}

void AppConfig::resetToDefaults()
{
    std::lock_guard<std::mutex> lock(mutex());
    values() = Values();
}
