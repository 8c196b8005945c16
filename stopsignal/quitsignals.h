#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// Turns the stop signals (see stopsignal.h) into a queued request on the
// event loop, so that the window ends the way its close button does instead
// of dying with the box left reporting or half upgraded. One per process; the
// default handlers come back when it is destroyed.
class QuitSignals : public QObject
{
    Q_OBJECT
public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

    // False when the pipe or a handler could not be set up.
    bool isActive() const { return m_notifier != nullptr; }

signals:
    void quitRequested(int signalNumber);

private:
    void readSignal();

    std::unique_ptr<QSocketNotifier> m_notifier;
};
