#include "hotplugsource.h"

#ifdef Q_OS_LINUX
#include "udevhotplug.h"
#endif

HotplugSource *createSystemHotplugSource(QObject *parent)
{
#ifdef Q_OS_LINUX
    auto *source = new UdevHotplug(parent);
    if (source->isWatching())
        return source;
    delete source;
#else
    Q_UNUSED(parent);
#endif
    return nullptr;
}
