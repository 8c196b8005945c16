#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// A VOTK-WIFI BOX in software: it answers every command the way the box does,
// reports CAN frames while reporting is on, takes firmware upgrades, can be
// pulled out and plugged in, and can be told to misbehave. It records every
// output report written to it, byte for byte.
//
// It is no kinder than the hardware: input reports reach the host strictly in
// the order the box sent them, replies and CAN frames alike; frames already on
// their way arrive ahead of a reply; the host keeps at most 64 unread reports
// per open handle (hidraw's queue) and loses what comes on top; the box
// restarts after the upgrade finish on its own clock; a read waits its whole
// time-out unless a test asks for instant time-outs.
//
// Thread-safe: the host side (a backend) and the test side may call it from
// different threads.
class SimBox
{
public:
    // How the box answers a command.
    enum class Fault
    {
        None,
        Silent,       // no reply at all
        LengthByte,   // reply's length byte replaced by faultLengthByte()
        WrongCommand, // reply carries another command code
    };

    struct Identity
    {
        QString softwareId = QStringLiteral("VOTK-WB1");
        quint32 softwareVersion = 0x00010203;
        QString hardwareId = QStringLiteral("20231105");
        QString manufacturer = QStringLiteral("VOTK");
        QString product = QStringLiteral("VOTK-WIFI BOX");
        QString serialNumber = QStringLiteral("0001");
    };

    SimBox();
    ~SimBox();
    SimBox(const SimBox &) = delete;
    SimBox &operator=(const SimBox &) = delete;

    // --- what the box is -------------------------------------------------
    Identity identity() const;
    void setIdentity(const Identity &identity);
    QString wifiName() const;
    QString wifiPassword() const;
    void setWifi(const QString &name, const QString &password);
    uint8_t canTime() const;
    void setCanTime(uint8_t ms);
    bool canReporting() const;
    // Answer to CMD_ENTER_USB_MODE (1 accepts).
    void setUsbModeAnswer(uint8_t answer);

    // --- plugging --------------------------------------------------------
    bool isPlugged() const;
    void unplug();
    void plug();
    // After CMD_OTA_FINISH the box restarts: unplugged for this long, then back.
    // A negative time keeps it away until plug().
    void setRestartTimeMs(int ms);
    // Called (outside the box's lock) whenever the box goes or comes back.
    void setPlugListener(std::function<void(bool plugged)> listener);

    // --- faults ----------------------------------------------------------
    // Applies to every command, or with cmd >= 0 only to that command code.
    void setFault(Fault fault, int cmd = -1);
    void setFaultLengthByte(uint8_t lengthByte);
    void clearFaults();
    // Delay before each reply becomes readable.
    void setReplyDelayMs(int ms);
    // Reply reads (1 s or longer) return 0 at once when nothing is on its way,
    // as if the time had passed, so tests of time-outs take no time. Off by
    // default: a test that wants it asks for it.
    void setInstantTimeouts(bool on);
    // Answers the next `cmd` with this 64-byte frame instead of its own reply.
    void answerNext(uint8_t cmd, const QByteArray &frame);

    // --- CAN traffic -----------------------------------------------------
    // Frames generated per second while reporting is on (0: none).
    void setCanRate(double framesPerSecond);
    // A backlog of `count` generated frames, sent while reporting is on as fast
    // as the host takes them (a bus busier than the USB side).
    void queueCanBurst(int count);
    // Generated frames already on their way to the host when the box reads a
    // command while frames flow; they arrive ahead of its reply. Default 3.
    void setFramesInFlight(int count);
    // Sends one frame with the given payload (identifier bytes, data) now.
    void queueCanFrame(const QVector<uint8_t> &payload);
    // Sends one raw 64-byte input report exactly as given (zero-padded) now.
    void queueInputReport(const QByteArray &frame);
    // CAN frames the host sent (payloads of CMD_CAN_FRAME).
    QList<QVector<uint8_t>> sentCanFrames() const;
    // Frames of the generated stream sent so far (read, queued or dropped).
    quint64 generatedFramesRead() const;
    // Reports that found the host's queue full and were lost.
    quint64 droppedReports();
    // Times the host opened the box's node; frames sent between a close and
    // the next open reach nobody.
    quint64 sessionsOpened();

    // --- upgrade ---------------------------------------------------------
    int rawReportsReceived() const;
    QByteArray receivedImage() const;
    // The box judges an image at CMD_OTA_FINISH and keeps that verdict (it is
    // self-powered) through restarts and unplugging, until the next finish:
    // CMD_OTA_RESULT after a cut transfer answers with an earlier verdict.
    // Forces the next CMD_OTA_RESULT answer (-1: judge the image).
    void setOtaResultOverride(int code);
    // Whether the box answers each block it has taken (on by default); off,
    // it takes the image without a word, as a box whose answers get lost.
    void setBlockAnswers(bool on);

    // --- the wire --------------------------------------------------------
    // Every output report written while plugged, as written (65 bytes for a
    // command, len bytes for a raw report).
    QList<QByteArray> wire() const;
    // Command codes of the command reports on the wire, in order.
    QList<uint8_t> commandsOnWire() const;
    void clearWire();

    // --- host side: what a backend calls --------------------------------
    // Host opens: a session number, or 0 when the box is not plugged in.
    quint64 openSession();
    // Host closes: what reaches the node from now on, until the next open,
    // goes nowhere.
    void closeSession(quint64 session);
    // -1 when the session is gone (box unplugged since it was opened).
    int hostWrite(quint64 session, const uint8_t *data, size_t length);
    // Reads one 64-byte input report: bytes read, 0 after the time-out, -1
    // when the session is gone.
    int hostRead(quint64 session, uint8_t *data, size_t length, int timeoutMs);

    // Unread reports one host handle keeps, as hidraw does.
    static constexpr int kHostQueueReports = 64;

private:
    using Clock = std::chrono::steady_clock;
    struct Pending
    {
        Clock::time_point readyAt;
        QByteArray frame;
    };

    void handleCommandLocked(uint8_t cmd, const QVector<uint8_t> &payload);
    void replyLocked(uint8_t cmd, const QVector<uint8_t> &payload);
    void handleRawLocked(const uint8_t *data, size_t length);
    void sendInFlightLocked(Clock::time_point now);
    void advanceLocked(Clock::time_point now);
    void arriveLocked(const QByteArray &report);
    Clock::time_point nextArrivalLocked() const;
    QByteArray nextGeneratedFrameLocked();
    void unplugLocked(bool restart);
    void checkRestartLocked(Clock::time_point now);
    Fault faultForLocked(uint8_t cmd) const;
    void notify(bool plugged);
    void restartTimerLoop();
    bool nextRateDueLocked(Clock::time_point now, Clock::time_point &due) const;

    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    std::function<void(bool)> m_plugListener;

    Identity m_identity;
    QString m_defaultWifiName = QStringLiteral("VOTK_BOX");
    QString m_defaultWifiPassword = QStringLiteral("12345678");
    QString m_wifiName = m_defaultWifiName;
    QString m_wifiPassword = m_defaultWifiPassword;
    uint8_t m_canTime = 30;
    uint8_t m_usbModeAnswer = 1;
    bool m_canReporting = false;

    bool m_plugged = true;
    quint64 m_session = 0;
    quint64 m_nextSession = 1;
    int m_restartTimeMs = 3000;
    bool m_restarting = false;
    Clock::time_point m_backAt;

    Fault m_fault = Fault::None;
    int m_faultCmd = -1;
    uint8_t m_faultLengthByte = 255;
    int m_replyDelayMs = 0;
    bool m_instantTimeouts = false;
    std::map<uint8_t, QByteArray> m_answerNext;

    double m_canRate = 0;
    Clock::time_point m_rateStart;
    quint64 m_rateFramesDone = 0;
    quint64 m_burstLeft = 0;
    quint64 m_generated = 0;
    int m_framesInFlight = 3;
    // Sent by the box, not yet at the host, in the order sent.
    std::deque<Pending> m_outgoing;
    // At the host, not yet read.
    std::deque<QByteArray> m_hostQueue;
    quint64 m_dropped = 0;
    QList<QVector<uint8_t>> m_sentCan;

    QByteArray m_image;
    int m_rawReports = 0;
    quint16 m_announcedSum = 0;
    bool m_announced = false;
    int m_otaResultOverride = -1;
    bool m_blockAnswers = true;
    uint8_t m_lastOtaVerdict = 0;

    QList<QByteArray> m_wire;
    QList<bool> m_wireRaw;
    int m_rawRemaining = 0;
    // The box resets itself shortly after it has sent its finish reply.
    bool m_goingAway = false;
    Clock::time_point m_goAwayAt;

    std::condition_variable m_timerCond;
    bool m_shutdown = false;
    std::thread m_timer;
};
