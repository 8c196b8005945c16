#pragma once

#include "otafile.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QThread>

#include <cstdint>
#include <optional>

class DeviceLink;

// How an upgrade ended, for front ends to act on and word in their own language.
enum class OtaVerdict
{
    Success,     // the box judged the image good
    Failed,      // the box judged it bad, or gave no verdict
    Interrupted, // the box went away during the transfer or did not come back
    LinkBusy,    // another thread held the link; nothing was sent
};
Q_DECLARE_METATYPE(OtaVerdict)

// Holds the firmware image to send and, when started, carries out one
// transfer of it to the box.
class OtaHandle : public QThread
{
    Q_OBJECT
public:
    explicit OtaHandle(DeviceLink &link);
    // Waits for a running transfer: the image and the link must outlive it.
    ~OtaHandle() override;

    // Takes a checked image of exactly OTA_DATA_SIZE bytes; anything else is
    // refused (false) and the image held stays as it was.
    bool setImage(const QByteArray &image);

    // The pause while the box restarts; shortened only by tests and benchmarks.
    void setRestartPauseMs(unsigned long ms) { m_restartPauseMs = ms; }

    // Sum of all image bytes, modulo 65536, as announced to the box.
    quint16 imageSum() const;

signals:
    // How far the transfer got, in percent; the front ends word it.
    void sig_send_ota_progress(int value);
    // The image is in and the box restarts to check it; the verdict follows
    // once it is back. Comes after the last progress report of the transfer.
    void sig_ota_restarting();
    // The end of every run, after its last progress report.
    void sig_ota_verdict(OtaVerdict verdict);

protected:
    void run() override;

private:
    // The steps of a transfer. Each answers false at the first sign that the
    // box is gone: a failed write, a failed read, an unanswered block.
    bool send_ota_start();
    bool send_ota_data();
    bool send_ota_finish();
    // The box's verdict byte, -1 when it did not answer in time; none when
    // it is gone.
    std::optional<int> read_ota_result();
    std::optional<int> transfer();
    void reportProgress(int value);

    DeviceLink &m_link;
    unsigned long m_restartPauseMs = OTA_RESTART_PAUSE_MS;
    // What the transfer really got to; a failure leaves the bar there.
    int m_progress = 0;
    uint8_t ota_data[OTA_DATA_SIZE] = {};
};
