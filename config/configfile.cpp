#include "configfile.h"

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
} // namespace

void noteConfigWrite(QSettings &settings)
{
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return;
    writeWarning().failed = true;
    tellOnce();
}

void setConfigWriteWarning(std::function<void()> warn)
{
    writeWarning().warn = std::move(warn);
    tellOnce();
}

QString configFilePath()
{
    return QStringLiteral("./config.ini");
}

QString translationFileFor(const QString &language)
{
    if (language == QLatin1String("cn"))
        return QStringLiteral("app_zh.qm");
    if (language == QLatin1String("en"))
        return QStringLiteral("app_en.qm");
    return QString();
}
