#include "quitsignals.h"

#include "stopsignal.h"

#include <QSocketNotifier>

QuitSignals::QuitSignals(QObject *parent) : QObject(parent)
{
    if (!installStopSignals(BrokenPipe::Default))
        return;
    m_notifier = stopSignalNotifier();
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &QuitSignals::readSignal);
}

QuitSignals::~QuitSignals()
{
    if (!m_notifier)
        return;
    m_notifier.reset();
    removeStopSignals();
}

void QuitSignals::readSignal()
{
    for (int number = takeStopSignal(); number >= 0; number = takeStopSignal())
        emit quitRequested(number);
}
