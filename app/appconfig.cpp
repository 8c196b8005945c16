#include "appconfig.h"

#include <QMutex>
#include <QMutexLocker>

namespace {
struct Values
{
    QString language = QStringLiteral("cn");
    QString canTime = QStringLiteral("30");
    QString autoConnect = QStringLiteral("1");
};

QMutex &mutex()
{
    static QMutex m;
    return m;
}

Values &values()
{
    static Values v;
    return v;
}

QString get(QString Values::*field)
{
    QMutexLocker lock(&mutex());
    return values().*field;
}

void put(QString Values::*field, const QString &value)
{
    QMutexLocker lock(&mutex());
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

void AppConfig::resetToDefaults()
{
    QMutexLocker lock(&mutex());
    values() = Values();
}
