#pragma once

#include "otafile.h"

#include <QString>
#include <QThread>

#include <cstdint>

// Holds the firmware image read from an upgrade file and, when started,
// carries out one transfer of it to the box.
class OtaHandle : public QThread
{
    Q_OBJECT
public:
    OtaHandle();
    // Waits for a running transfer: the image and the link must outlive it.
    ~OtaHandle() override;

    // 0 read and checksum right, 1 cannot be opened, 2 checksum wrong.
    int read_ota_file(const QString &path);
    // True when the size field is wrong.
    bool check_file_size();
    // True when the flag is wrong.
    bool check_file_flag();

    int send_ota_start();
    void send_ota_data();
    void send_ota_finish();
    int read_ota_result();

    // The pause while the box restarts; shortened only by tests and benchmarks.
    void setRestartPauseMs(unsigned long ms) { m_restartPauseMs = ms; }

    // Sum of all image bytes, modulo 65536, as announced to the box.
    quint16 imageSum() const;

    uint8_t ota_data[OTA_DATA_SIZE] = {};
    uint32_t ota_file_size = 0;

signals:
    void sig_send_ota_progress(int, QString);

protected:
    void run() override;

private:
    unsigned long m_restartPauseMs = OTA_RESTART_PAUSE_MS;
};
