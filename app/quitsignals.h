#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a queued request on the event loop,
// so that the window ends the way its close button does instead of dying
// with the box left reporting or half upgraded. The handler only writes the
// signal number to a socket pair; everything else runs on the GUI thread.
// One per process; the default handlers come back when it is destroyed.
class QuitSignals : public QObject
{
    Q_OBJECT
public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

    // False when the socket pair or a handler could not be set up.
    bool isActive() const { return m_notifier != nullptr; }

signals:
    void quitRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
