#include "simbox.h"

#include "commands.h"
#include "simboxdetail.h"

#include <algorithm>
#include <cstring>

using namespace simbox_detail;

SimBox::SimBox() : m_rateStart(Clock::now())
{
    m_timer = std::thread([this] { restartTimerLoop(); });
}

SimBox::~SimBox()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shutdown = true;
    }
    m_timerCond.notify_all();
    m_cond.notify_all();
    m_timer.join();
}

SimBox::Identity SimBox::identity() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_identity;
}

void SimBox::setIdentity(const Identity &identity)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_identity = identity;
}

QString SimBox::wifiName() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_wifiName;
}

QString SimBox::wifiPassword() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_wifiPassword;
}

void SimBox::setWifi(const QString &name, const QString &password)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wifiName = name;
    m_wifiPassword = password;
}

uint8_t SimBox::canTime() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_canTime;
}

void SimBox::setCanTime(uint8_t ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_canTime = ms;
}

bool SimBox::canReporting() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_canReporting;
}

void SimBox::setUsbModeAnswer(uint8_t answer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_usbModeAnswer = answer;
}

bool SimBox::isPlugged() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plugged;
}

void SimBox::unplug()
{
    bool was;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        was = m_plugged;
        m_restarting = false;
        m_goingAway = false;
        unplugLocked(false);
    }
    m_cond.notify_all();
    if (was)
        notify(false);
}

void SimBox::plug()
{
    bool was;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        was = m_plugged;
        m_plugged = true;
        m_restarting = false;
    }
    if (!was)
        notify(true);
}

void SimBox::setRestartTimeMs(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_restartTimeMs = ms;
}

void SimBox::setPlugListener(std::function<void(bool)> listener)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_plugListener = std::move(listener);
}

void SimBox::notify(bool plugged)
{
    std::function<void(bool)> listener;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        listener = m_plugListener;
    }
    if (listener)
        listener(plugged);
}

void SimBox::setFault(Fault fault, int cmd)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fault = fault;
    m_faultCmd = cmd;
}

void SimBox::setFaultLengthByte(uint8_t lengthByte)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faultLengthByte = lengthByte;
}

void SimBox::clearFaults()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fault = Fault::None;
    m_faultCmd = -1;
    m_replyDelayMs = 0;
}

void SimBox::setReplyDelayMs(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_replyDelayMs = std::max(0, ms);
}

void SimBox::setInstantTimeouts(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_instantTimeouts = on;
}

void SimBox::answerNext(uint8_t cmd, const QByteArray &f)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QByteArray padded = f.left(kFrameLen);
    padded.append(QByteArray(kFrameLen - padded.size(), '\0'));
    m_answerNext[cmd] = padded;
}

void SimBox::setFramesInFlight(int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_framesInFlight = std::max(0, count);
}

quint64 SimBox::sessionsOpened()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nextSession - 1;
}

quint64 SimBox::droppedReports()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // What was lost while nobody read counts too.
    advanceLocked(Clock::now());
    return m_dropped;
}

void SimBox::setCanRate(double framesPerSecond)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_canRate = std::max(0.0, framesPerSecond);
        m_rateStart = Clock::now();
        m_rateFramesDone = 0;
    }
    m_cond.notify_all();
}

void SimBox::queueCanBurst(int count)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_burstLeft += quint64(std::max(0, count));
    }
    m_cond.notify_all();
}

void SimBox::queueCanFrame(const QVector<uint8_t> &payload)
{
    queueInputReport(frame(CMD_CAN_FRAME, payload));
}

void SimBox::queueInputReport(const QByteArray &f)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        QByteArray padded = f.left(kFrameLen);
        padded.append(QByteArray(kFrameLen - padded.size(), '\0'));
        m_outgoing.push_back({Clock::now(), padded});
    }
    m_cond.notify_all();
}

QList<QVector<uint8_t>> SimBox::sentCanFrames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sentCan;
}

quint64 SimBox::generatedFramesRead() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_generated;
}

void SimBox::setBlockAnswers(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_blockAnswers = on;
}

int SimBox::rawReportsReceived() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_rawReports;
}

QByteArray SimBox::receivedImage() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_image;
}

void SimBox::setOtaResultOverride(int code)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_otaResultOverride = code;
}

QList<QByteArray> SimBox::wire() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_wire;
}

QList<uint8_t> SimBox::commandsOnWire() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QList<uint8_t> codes;
    for (int i = 0; i < m_wire.size(); ++i)
        if (!m_wireRaw.at(i) && m_wire.at(i).size() > 3)
            codes.append(uint8_t(m_wire.at(i).at(3)));
    return codes;
}

void SimBox::clearWire()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wire.clear();
    m_wireRaw.clear();
    m_sentCan.clear();
}
