#pragma once

#include <QThread>
#include <QVector>

#include <cstdint>

// Reads the CAN frames the box reports while the CAN tab is shown and hands
// each one to the window. Reads in short slices so that a stop is prompt and
// nothing is ever freed under a pending read.
class CanRxThread : public QThread
{
    Q_OBJECT
public:
    CanRxThread();
    ~CanRxThread() override;

    // Asks the loop to end and waits for it: at most about one read slice.
    void stop();

signals:
    void sig_ShowMsg(QString text);
    void send_can_rx(QVector<uint8_t> frame);

protected:
    void run() override;

private:
    bool pauseAfterFailure(int ms);
};
